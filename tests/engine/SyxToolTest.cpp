#include "tools/tavren-syx/SyxTool.h"
#include "tools/tavren-syx/SyxFile.h"

#include "FactoryBank.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A scratch folder for the files a test hands to the program; removed afterwards.
class SyxToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tavren-syx-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const Bytes& data) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return path.string();
    }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunSyxTool(args, out, err);
    }

    std::vector<std::string> OutLines() const {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // The error text is one line per problem.
    int ErrLines() const {
        const std::string text = err.str();
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    fs::path dir;
    std::ostringstream out;
    std::ostringstream err;
};

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST_F(SyxToolTest, ListsEveryDumpOfTheFactoryBank) {
    const std::string file = Write("bank.syx", LoadFactoryBankFile());
    EXPECT_EQ(Run({"list", file}), kExitOk);
    const std::vector<std::string> lines = OutLines();
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[0], "0\t0\tOrgan I\t0x6F\t210");
    EXPECT_EQ(lines[1], "0\t1\tClassical Brass\t0x6F\t210");
    EXPECT_EQ(lines[99], "0\t99\tAlien\t0x6F\t210");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SyxToolTest, ListsSeveralFilesWithTheirNames) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    const std::string a = Write("a.syx", bank[3]);
    const std::string b = Write("b.syx", Concat({bank[4], bank[5]}));
    EXPECT_EQ(Run({"list", a, b}), kExitOk);
    const std::vector<std::string> lines = OutLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], a + "\t0\t3\tPoly Glide I\t0x6F\t210");
    EXPECT_EQ(lines[2], b + "\t0\t5\tTriangle Waves\t0x6F\t210");

    EXPECT_EQ(Run({"list", "--json", a}), kExitOk);
    EXPECT_EQ(out.str(), "{\"file\":\"" + a +
                             "\",\"offset\":0,\"bank\":0,\"program\":3,\"name\":\"Poly Glide I\","
                             "\"format\":111,\"length\":210}\n");
}

TEST_F(SyxToolTest, ShowsEveryParameterOfOneDump) {
    const std::string file = Write("bank.syx", LoadFactoryBankFile());
    EXPECT_EQ(Run({"show", file, "--patch", "1"}), kExitOk);
    const std::vector<std::string> lines = OutLines();
    ASSERT_EQ(lines.size(), 54u) << "58 rows less the four bank buttons";
    const Bytes dump = LoadFactoryBank()[1];
    const int oscAFreq = (dump[18] & 0x7F) | ((dump[11] >> 6) & 1) << 7;
    EXPECT_EQ(lines[0], "8\tOSC A FREQ\t" + std::to_string(oscAFreq) + "\t" + std::to_string(oscAFreq));
    const int vcfAt = (dump[180] & 0x7F) | (dump[179] & 1) << 7;
    EXPECT_EQ(vcfAt, 255);
    EXPECT_EQ(lines[29], "40\tVCF AT\t255\t255");
    const int sync = dump[81] & 1; // OSC A SYNC, the first switch
    EXPECT_EQ(lines[32], std::string("54\tOSC A SYNC\t") + (sync ? "1\tOn" : "0\tOff"));
    EXPECT_EQ(lines.back().substr(0, 3), "58\t");

    EXPECT_EQ(Run({"show", file, "--patch", "0"}), kExitOk);
    const std::string first = out.str();
    EXPECT_EQ(Run({"show", file}), kExitOk);
    EXPECT_EQ(out.str(), first) << "without --patch the first dump";
    EXPECT_NE(out.str(), "");
}

TEST_F(SyxToolTest, ShowsJson) {
    const std::string file = Write("bank.syx", LoadFactoryBankFile());
    EXPECT_EQ(Run({"show", "--json", "--patch", "99", file}), kExitOk);
    const std::string json = out.str();
    EXPECT_EQ(
        json.rfind("{\"file\":\"" + file + "\",\"offset\":20790,\"bank\":0,\"program\":99,\"name\":\"Alien\"",
                   0),
        0u);
    EXPECT_NE(json.find("{\"id\":54,\"name\":\"OSC A SYNC\",\"value\":"), std::string::npos);
    EXPECT_EQ(json.substr(json.size() - 4), "}]}\n");
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), 55);
    EXPECT_EQ(json.back(), '\n');
}

TEST_F(SyxToolTest, ExitStatusSaysWhatWentWrong) {
    const std::string bank = Write("bank.syx", LoadFactoryBankFile());
    const std::string empty = Write("empty.syx", {});
    EXPECT_EQ(Run({"list", empty}), kExitNoDump);
    EXPECT_EQ(err.str(), "tavren-syx: " + empty + ": no patch dump found\n");
    EXPECT_EQ(Run({"show", "--patch", "100", bank}), kExitNoDump);
    EXPECT_EQ(ErrLines(), 1);
    EXPECT_EQ(Run({"list", bank, empty}), kExitNoDump) << "one file without a dump is enough";
    EXPECT_EQ(OutLines().size(), 100u);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"explode", bank},
             {"list"},
             {"list", "--frobnicate", bank},
             {"show", bank, bank},
             {"show", bank, "--patch"},
             {"show", bank, "--patch", "-1"},
             {"show", bank, "--patch", "12x"},
             {"show", bank, "--patch", "16384"},
             {"show", bank, "--patch", "99999999999999999999"},
             {"list", (dir / "missing.syx").string()},
             {"list", dir.string()},
         }) {
        EXPECT_EQ(Run(args), kExitBadInput) << ::testing::PrintToString(args);
        EXPECT_EQ(ErrLines(), 1) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(Run({"show", dir.string()}), kExitBadInput);
    EXPECT_EQ(err.str(), "tavren-syx: cannot read " + dir.string() + ": it is a folder\n");
    EXPECT_EQ(Run({"list", (dir / "missing.syx").string(), bank}), kExitBadInput) << "the worst status wins";
    EXPECT_EQ(OutLines().size(), 100u) << "the readable file is still listed";
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_EQ(out.str(), SyxToolUsage());
}

TEST_F(SyxToolTest, SkipsWhatIsNoDumpAndSaysSo) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    Bytes truncated(bank[1].begin(), bank[1].begin() + 100); // cut off, no F7: the next F0 ends it
    Bytes shortDump(bank[2].begin(), bank[2].begin() + 150);
    shortDump.push_back(0xF7);
    const Bytes identification = {0xF0, 0x00, 0x20, 0x32, 0x00, 0x01, 0x24, 0x00, 0x78, 0x7E,
                                  0x03, 0,    0,    0,    0,    0,    0,    5,    0,    0xF7};
    const Bytes garbage = {0x12, 0x34, 0xF7, 0x90, 0x40};
    const Bytes otherMaker = {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    Bytes lastCut(bank[9].begin(), bank[9].end() - 1); // the file ends before the last F7
    const std::string file =
        Write("mixed.syx", Concat({garbage, bank[0], truncated, bank[3], shortDump, identification,
                                   otherMaker, garbage, bank[4], lastCut}));
    EXPECT_EQ(Run({"list", file}), kExitOk);
    const std::vector<std::string> lines = OutLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0\t0\tOrgan I\t0x6F\t210");
    EXPECT_EQ(lines[1], "0\t3\tPoly Glide I\t0x6F\t210");
    EXPECT_EQ(lines[2], "0\t4\tMetallic I\t0x6F\t210");
    EXPECT_EQ(err.str(), "tavren-syx: " + file +
                             ": skipped 2 other SysEx message(s), 1 dump(s) too short to decode, "
                             "2 message(s) without F7, 10 byte(s) outside SysEx messages\n");

    const SyxContents contents = ScanSyx(Concat({garbage, bank[0]}));
    ASSERT_EQ(contents.dumps.size(), 1u);
    EXPECT_EQ(contents.dumps[0].offset, garbage.size());
    EXPECT_EQ(contents.dumps[0].message, bank[0]);
}

// A file captured from a live MIDI stream: timing clock (F8), active sensing (FE) and
// even a reset byte (FF) come between the bytes of a dump and must not cost the patch.
TEST_F(SyxToolTest, RealTimeBytesInsideADumpAreDroppedAndTheDumpKept) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    struct Case {
        std::size_t at; // insert before this byte of every dump
        Bytes realTime;
    };
    const Case cases[] = {
        {1, {0xF8}},               // right after F0
        {9, {0xFE}},               // before the patch number
        {100, {0xF8, 0xFE, 0xF8}}, // inside the packed data
        {185, {0xFF}},             // inside the name
        {209, {0xF9, 0xFA, 0xFB}}, // right before F7 (undefined F9 and FD count too)
        {209, {0xFC, 0xFD}},
    };
    for (const Case& c : cases) {
        Bytes file;
        for (const Bytes& dump : bank) {
            file.insert(file.end(), dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(c.at));
            file.insert(file.end(), c.realTime.begin(), c.realTime.end());
            file.insert(file.end(), dump.begin() + static_cast<std::ptrdiff_t>(c.at), dump.end());
        }
        const SyxContents contents = ScanSyx(file);
        ASSERT_EQ(contents.dumps.size(), 100u) << "inserted at " << c.at;
        for (std::size_t i = 0; i < bank.size(); ++i)
            EXPECT_EQ(contents.dumps[i].message, bank[i]) << "dump " << i << ", inserted at " << c.at;
        EXPECT_EQ(contents.dumps[1].offset, bank[0].size() + c.realTime.size());
        EXPECT_EQ(contents.realTimeBytes, 100 * c.realTime.size());
        EXPECT_EQ(contents.unterminated + contents.strayBytes + contents.otherMessages, 0u);
    }

    Bytes withClock = bank[7];
    withClock.insert(withClock.begin() + 50, 0xF8);
    const std::string file = Write("live.syx", Concat({{0xF8}, withClock, {0xFE}}));
    EXPECT_EQ(Run({"list", file}), kExitOk);
    EXPECT_EQ(OutLines(), std::vector<std::string>{"0\t7\tMini Lead\t0x6F\t210"});
    EXPECT_EQ(err.str(), "tavren-syx: " + file +
                             ": skipped 2 byte(s) outside SysEx messages, 1 real-time byte(s) inside SysEx "
                             "messages\n");
}

TEST_F(SyxToolTest, EscapesControlCharactersInNames) {
    Bytes dump = LoadFactoryBank()[0];
    dump[183] = '\t';
    dump[184] = '\\';
    const std::string file = Write("odd.syx", dump);
    EXPECT_EQ(Run({"list", file}), kExitOk);
    EXPECT_EQ(OutLines().at(0), "0\t0\t\\x09\\\\gan I\t0x6F\t210");
    EXPECT_EQ(Run({"list", "--json", file}), kExitOk);
    EXPECT_NE(out.str().find("\"name\":\"\\u0009\\\\gan I\""), std::string::npos) << out.str();
}

TEST_F(SyxToolTest, SurvivesTenMegabytesOfRandomBytes) {
    std::mt19937 random(800);
    Bytes noise(10 * 1024 * 1024);
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>(random());
    // Plant one real dump in the middle: it must still be found.
    const Bytes dump = LoadFactoryBank()[7];
    std::copy(dump.begin(), dump.end(), noise.begin() + 5 * 1024 * 1024);
    noise[5 * 1024 * 1024 + dump.size()] = 0x80; // ends whatever follows
    const std::string file = Write("noise.syx", noise);
    EXPECT_EQ(Run({"list", file}), kExitOk);
    ASSERT_EQ(OutLines().size(), 1u);
    EXPECT_EQ(OutLines()[0], "0\t7\tMini Lead\t0x6F\t210");
    EXPECT_EQ(ErrLines(), 1) << "one line sums up what was skipped";
    EXPECT_EQ(Run({"show", file}), kExitOk);
    EXPECT_EQ(OutLines().size(), 54u);
}
