#include "tools/tavren-syx/SyxTool.h"
#include "engine/AtomicFile.h"
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

    static Bytes Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
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
    const std::pair<std::ptrdiff_t, Bytes> cases[] = {
        // (insert before this byte of every dump, real-time bytes); F9 and FD are undefined ones
        {1, {0xF8}},
        {9, {0xFE}},
        {100, {0xF8, 0xFE, 0xF8}},
        {185, {0xFF}},
        {209, {0xF9, 0xFC, 0xFD}}};
    for (const auto& [at, realTime] : cases) {
        Bytes file;
        for (const Bytes& dump : bank)
            file = Concat({file, Bytes(dump.begin(), dump.begin() + at), realTime,
                           Bytes(dump.begin() + at, dump.end())});
        const SyxContents contents = ScanSyx(file);
        ASSERT_EQ(contents.dumps.size(), 100u) << "inserted at " << at;
        for (std::size_t i = 0; i < bank.size(); ++i)
            EXPECT_EQ(contents.dumps[i].message, bank[i]) << "dump " << i << ", inserted at " << at;
        EXPECT_EQ(contents.dumps[1].offset, bank[0].size() + realTime.size());
        EXPECT_EQ(contents.realTimeBytes, 100 * realTime.size());
        EXPECT_EQ(contents.unterminated + contents.strayBytes + contents.otherMessages, 0u);
    }
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

namespace {

// A factory dump carrying another patch number and name (up to 16 plain characters).
Bytes Renamed(int number, const std::string& name) {
    Bytes dump = LoadFactoryBank()[7];
    dump[9] = static_cast<uint8_t>(number & 0x7F);
    dump[10] = static_cast<uint8_t>(number >> 7);
    std::size_t k = 0;
    for (std::size_t offset = 183; offset <= 200; ++offset) {
        if (offset != 187 && offset != 195)
            dump[offset] = k < name.size() ? static_cast<uint8_t>(name[k++]) : 0;
    }
    return dump;
}

} // namespace

TEST(SyxSplitFileName, SortsByBankAndProgramAndHoldsOnlyWhatFileNamesCan) {
    const struct {
        int number;
        std::string name;
        std::string fileName;
    } cases[] = {
        {7, "Mini Lead", "0-07 Mini Lead.syx"},
        {100, "a<b>c:d\"e/f", "1-00 a_b_c_d_e_f.syx"},
        {205, "g\\h|i?j*k", "2-05 g_h_i_j_k.syx"},
        {1, "\x01Tab\tX", "0-01 _Tab_X.syx"},
        {2, "Lead.. .", "0-02 Lead.syx"}, // Windows would drop the trailing dots and spaces
        {3, "...", "0-03.syx"},
        {4, "", "0-04 [Unnamed].syx"},
        {5, "CON", "0-05 CON.syx"}, // the number keeps it from naming a device
        {16383, "Sixteen chars ok", "163-83 Sixteen chars ok.syx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFileName(Renamed(c.number, c.name)), c.fileName) << c.name;
}

TEST_F(SyxToolTest, SplitAndJoinGiveBackTheBankByteForByte) {
    const Bytes original = LoadFactoryBankFile();
    const std::string bank = Write("bank.syx", original);
    const fs::path parts = dir / "parts" / "deeper";
    EXPECT_EQ(Run({"split", bank, parts.string()}), kExitOk) << err.str();
    ASSERT_EQ(OutLines().size(), 100u);
    EXPECT_EQ(OutLines()[7], (parts / "0-07 Mini Lead.syx").string());
    EXPECT_EQ(err.str(), "");

    const std::vector<std::string> names = OutLines();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "sorting the names sorts the patches";
    EXPECT_EQ(std::distance(fs::directory_iterator(parts), {}), 100) << "and nothing else is left there";

    const std::string joined = Write("joined.syx", {1, 2, 3}); // replaced whole
    std::vector<std::string> args = {"join", joined};
    args.insert(args.end(), names.begin(), names.end());
    EXPECT_EQ(Run(args), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "wrote 100 patch dump(s) to " + joined + "\n");
    EXPECT_EQ(Read(joined), original);

    // Two dumps of one slot are both kept.
    const std::string twice = Write("twice.syx", Concat({Renamed(7, "Lead"), Renamed(7, "LEAD")}));
    EXPECT_EQ(Run({"split", twice, (dir / "twice").string()}), kExitOk);
    EXPECT_EQ(OutLines(), (std::vector<std::string>{(dir / "twice" / "0-07 Lead.syx").string(),
                                                    (dir / "twice" / "0-07 LEAD (2).syx").string()}));
}

TEST_F(SyxToolTest, SplitAndJoinFailuresLeaveWhatWasThere) {
    const std::string bank = Write("bank.syx", LoadFactoryBankFile());
    const std::string empty = Write("empty.syx", {0x12});
    const std::string kept = Write("kept.syx", {1, 2, 3});
    const std::string missing = (dir / "missing.syx").string();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string firstError; // the start of the first line on standard error
    } cases[] = {
        {{"split", bank}, kExitBadInput, "tavren-syx: split takes a file and a folder"},
        {{"split", "--json", bank, "a"}, kExitBadInput, "tavren-syx: unknown option '--json'"},
        {{"join", kept}, kExitBadInput, "tavren-syx: join takes the file to write"},
        {{"split", missing, dir.string()}, kExitBadInput, "tavren-syx: cannot read " + missing},
        {{"split", empty, dir.string()}, kExitNoDump, "tavren-syx: " + empty + ": skipped 1 byte(s)"},
        {{"split", bank, kept}, kExitBadInput, "tavren-syx: cannot create folder " + kept},
        {{"join", kept, bank, missing}, kExitBadInput, "tavren-syx: cannot read " + missing},
        {{"join", kept, empty}, kExitNoDump, "tavren-syx: " + empty + ": skipped 1 byte(s)"},
        {{"join", dir.string(), bank},
         kExitBadInput,
         "tavren-syx: cannot write " + dir.string() + ": it is a folder"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << ::testing::PrintToString(c.args);
        EXPECT_EQ(err.str().rfind(c.firstError, 0), 0u) << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(Read(kept), (Bytes{1, 2, 3}));
    }
    // Only the files written above are there: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 3);

    // A file without a dump among others is said and skipped; the rest is written.
    EXPECT_EQ(Run({"join", kept, empty, bank}), kExitNoDump);
    EXPECT_EQ(out.str(), "wrote 100 patch dump(s) to " + kept + "\n");
}

// The safe write that split, join and the program's librarian use.
TEST_F(SyxToolTest, AWriteReplacesAFileWholeOrLeavesItAsItWas) {
    const Bytes previous = {1, 2, 3};
    const Bytes data = LoadFactoryBank()[0];
    fs::create_directories(dir / "folder");
    const struct {
        fs::path path;
        Bytes data;
        std::string error; // empty: the write succeeds
    } cases[] = {
        {dir / "new.syx", data, ""},
        {dir / "old.syx", data, ""},
        {dir / "old.syx", {}, ""},
        {dir / "locked.syx", data, "the file is read-only"},
        {dir / "folder", data, "it is a folder"},
        {dir / "gone" / "new.syx", data, "cannot create a file there: No such file or directory"},
        {dir / "", data, "no file name given"},
    };
    for (const auto& c : cases) {
        Write("old.syx", previous);
        Write("locked.syx", previous);
        fs::permissions(dir / "locked.syx", fs::perms::owner_read);
        const WriteResult result = WriteFileAtomically(c.path, c.data);
        EXPECT_EQ(result.error, c.error) << c.path;
        EXPECT_EQ(static_cast<bool>(result), c.error.empty());
        if (fs::is_regular_file(c.path))
            EXPECT_EQ(Read(c.path), result ? c.data : previous) << c.path;
        EXPECT_TRUE(fs::is_directory(dir / "folder"));
        for (const auto& entry : fs::directory_iterator(dir))
            EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
        fs::permissions(dir / "locked.syx", fs::perms::owner_all);
    }
}
