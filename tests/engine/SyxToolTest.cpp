// tavren-syx on the real factory bank: its listings, its split and join, what it
// skips in a file and what it says when something goes wrong.

#include "tools/tavren-syx/SyxTool.h"
#include "tools/tavren-syx/SyxFile.h"

#include "FactoryBank.h"
#include "tests/support/HexBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A factory dump carrying another patch number and name (up to 16 plain characters).
Bytes Renamed(int number, const std::string& name) {
    Bytes dump = LoadFactoryBank()[7];
    dump[9] = static_cast<uint8_t>(number & 0x7F);
    dump[10] = static_cast<uint8_t>(number >> 7);
    for (std::size_t k = 0, offset = 183; offset <= 200; ++offset)
        if (offset != 187 && offset != 195)
            dump[offset] = k < name.size() ? static_cast<uint8_t>(name[k++]) : 0;
    return dump;
}

class SyxToolTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const Bytes& data) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), data.size());
        return (dir / name).string();
    }
    static Bytes Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    int Run(const std::vector<std::string>& args) { // keeps the lines of standard output
        out.str("");
        err.str("");
        const int status = RunSyxTool(args, out, err);
        lines.clear();
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return status;
    }

    const fs::path dir = fs::temp_directory_path() / ("tavren-syx-test-" + std::to_string(getpid()));
    std::ostringstream out, err;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(SyxToolTest, ListsShowsSplitsAndJoinsTheDumpsOfFiles) {
    const std::vector<Bytes> factory = LoadFactoryBank();
    const std::string bank = Write("bank.syx", LoadFactoryBankFile());
    EXPECT_EQ(Run({"list", bank}), kExitOk);
    ASSERT_EQ(lines.size(), 100u);
    for (const auto& [program, name] : kFactoryNames)
        EXPECT_EQ(lines[size_t(program)], "0\t" + std::to_string(program) + "\t" + name + "\t0x6F\t210");
    Bytes odd = factory[3]; // control characters in names are escaped
    odd[183] = '\t';
    odd[184] = '\\';
    const std::string a = Write("a.syx", odd), b = Write("b.syx", Concat({factory[4], factory[5]}));
    EXPECT_EQ(Run({"list", a, b}), kExitOk);
    EXPECT_EQ(out.str(), a + "\t0\t3\t\\x09\\\\ly Glide I\t0x6F\t210\n" + b +
                             "\t0\t4\tMetallic I\t0x6F\t210\n" + b + "\t0\t5\tTriangle Waves\t0x6F\t210\n");
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(Run({"show", bank, "--patch", "1"}), kExitOk);
    ASSERT_EQ(lines.size(), 66u) << "the format, 58 rows less the four bank buttons, 11 settings";
    EXPECT_EQ(lines[0], "format\t0x6F (firmware 1.3.6 and later)");
    EXPECT_EQ(lines[1], "8\tOSC A FREQ\t133\t133");
    EXPECT_EQ(lines[33], "54\tOSC A SYNC\t1\tOn");
    EXPECT_EQ(lines[56], "setting\tPitch bend range\t12 semitones");
    EXPECT_EQ(Run({"show", "--json", "--patch", "99", bank}), kExitOk);
    const std::string json = out.str();
    const std::string head = "{\"file\":\"" + bank +
                             "\",\"offset\":20790,\"bank\":0,\"program\":99,\"name\":\"Alien\","
                             "\"format\":111,\"formatText\":\"0x6F (firmware 1.3.6 and later)\","
                             "\"length\":210,\"parameters\":[{\"id\":8,";
    EXPECT_EQ(json.substr(0, head.size()), head);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), 56);
    EXPECT_NE(
        json.find(",\"settings\":{\"Pitch bend target\":\"VCO\",\"Pitch bend range\":\"12 semitones\","),
        std::string::npos);

    // Split and join give back the bank byte for byte.
    const fs::path parts = dir / "parts" / "deeper";
    EXPECT_EQ(Run({"split", bank, parts.string()}), kExitOk) << err.str();
    std::vector<std::string> args = lines;
    EXPECT_EQ(args.at(7), (parts / "0-07 Mini Lead.syx").string());
    EXPECT_TRUE(std::is_sorted(args.begin(), args.end())) << "sorting the names sorts the patches";
    EXPECT_EQ(std::distance(fs::directory_iterator(parts), {}), 100) << "and nothing else is left there";
    const std::string joined = Write("joined.syx", {1, 2, 3}); // replaced whole
    args.insert(args.begin(), {"join", joined});
    EXPECT_EQ(Run(args), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "wrote 100 patch dump(s) to " + joined + "\n");
    EXPECT_EQ(Read(joined), LoadFactoryBankFile());

    // Two dumps of one slot are both kept.
    EXPECT_EQ(
        Run({"split", Write("twice.syx", Concat({Renamed(7, "Lead"), Renamed(7, "LEAD")})), dir.string()}),
        kExitOk);
    EXPECT_EQ(out.str(),
              (dir / "0-07 Lead.syx").string() + "\n" + (dir / "0-07 LEAD (2).syx").string() + "\n");
    // File names sort by bank and program and hold only what file names on Windows
    // can hold: no trailing dots or spaces, and the number keeps "CON" from naming a device.
    const int numbers[] = {100, 205, 1, 2, 3, 4, 5, 16383};
    const char* const names[] = {"a<b>c:d\"e/f", "g\\h|i?j*k", "\x01Tab\tX", "Lead.. .",
                                 "...",          "",           "CON",        "Sixteen chars ok"};
    std::string fileNames;
    for (size_t i = 0; i < std::size(names); ++i)
        fileNames += SplitFileName(Renamed(numbers[i], names[i])) + "|";
    EXPECT_EQ(fileNames, "1-00 a_b_c_d_e_f.syx|2-05 g_h_i_j_k.syx|0-01 _Tab_X.syx|0-02 Lead.syx|0-03.syx|"
                         "0-04 [Unnamed].syx|0-05 CON.syx|163-83 Sixteen chars ok.syx|");
}

TEST_F(SyxToolTest, SkipsWhatIsNoDumpSaysSoAndDropsRealTimeBytesInsideADump) {
    const std::vector<Bytes> bank = LoadFactoryBank();
    const Bytes truncated(bank[1].begin(), bank[1].begin() + 100); // cut off, no F7: the next F0 ends it
    const Bytes shortDump = Concat({Bytes(bank[2].begin(), bank[2].begin() + 150), {0xF7}});
    const Bytes identification = Hex("F0 00 20 32 00 01 24 00 78 7E 03 00 00 00 00 00 00 05 00 F7");
    const Bytes garbage = Hex("12 34 F7 90 40"), otherMaker = Hex("F0 7E 00 06 01 F7");
    const Bytes lastCut(bank[9].begin(), bank[9].end() - 1); // the file ends before the last F7
    Bytes live = bank[4]; // as captured from a live stream: real-time bytes inside do not end it
    live.insert(live.begin() + 100, {0xF8, 0xFE, 0xFF});
    const std::string file = Write("mixed.syx", Concat({garbage, bank[0], truncated, bank[3], shortDump,
                                                        identification, otherMaker, garbage, live, lastCut}));
    EXPECT_EQ(Run({"list", file}), kExitOk);
    EXPECT_EQ(out.str(),
              "0\t0\tOrgan I\t0x6F\t210\n0\t3\tPoly Glide I\t0x6F\t210\n0\t4\tMetallic I\t0x6F\t210\n");
    EXPECT_EQ(err.str(), "tavren-syx: " + file +
                             ": skipped 2 other SysEx message(s), 1 dump(s) too short to decode, "
                             "2 message(s) without F7, 10 byte(s) outside SysEx messages, "
                             "3 real-time byte(s) inside SysEx messages\n");
}

TEST_F(SyxToolTest, FailuresExitWithTheirStatusSayWhyAndLeaveWhatWasThere) {
    const std::string bank = Write("bank.syx", LoadFactoryBankFile()), empty = Write("empty.syx", {0x12});
    const std::string kept = Write("kept.syx", {1, 2, 3}), locked = Write("locked.syx", {1, 2, 3});
    fs::permissions(locked, fs::perms::owner_read);
    const std::string missing = (dir / "missing.syx").string(), folder = dir.string();
    const std::string help = " (try tavren-syx --help)\n",
                      cannotReadMissing = "cannot read " + missing + ": No such file or directory\n";
    const std::string skipped = empty + ": skipped 1 byte(s) outside SysEx messages\ntavren-syx: " + empty +
                                ": no patch dump found\n";
    std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{}, kExitBadInput, "no command given" + help},
        {{"explode", bank}, kExitBadInput, "unknown command 'explode'" + help},
        {{"list"}, kExitBadInput, "no file given" + help},
        {{"list", "--frobnicate", bank}, kExitBadInput, "unknown option '--frobnicate'" + help},
        {{"show", bank, bank}, kExitBadInput, "show takes one file" + help},
        {{"show", bank, "--patch"}, kExitBadInput, "--patch needs a number" + help},
        {{"show", "--patch", "100", bank}, kExitNoDump, bank + ": no patch dump numbered 100\n"},
        {{"list", empty}, kExitNoDump, skipped},
        {{"list", missing}, kExitBadInput, cannotReadMissing},
        {{"show", folder}, kExitBadInput, "cannot read " + folder + ": it is a folder\n"},
        {{"split", bank}, kExitBadInput, "split takes a file and a folder" + help},
        {{"split", "--json", bank, "a"}, kExitBadInput, "unknown option '--json'" + help},
        {{"join", kept}, kExitBadInput, "join takes the file to write and at least one file to read" + help},
        {{"split", bank, kept}, kExitBadInput, "cannot create folder " + kept + ": Not a directory\n"},
        {{"join", kept, bank, missing},
         kExitBadInput,
         cannotReadMissing + "tavren-syx: " + kept + " not written\n"},
        {{"join", folder, bank}, kExitBadInput, "cannot write " + folder + ": it is a folder\n"},
        {{"join", locked, bank}, kExitBadInput, "cannot write " + locked + ": the file is read-only\n"}};
    for (std::string n : {"-1", "12x", "16384", "99999999999999999999"})
        cases.push_back({{"show", bank, "--patch", n}, kExitBadInput, "bad patch number '" + n + "'" + help});
    for (const auto& [args, status, error] : cases) {
        EXPECT_EQ(Run(args), status) << ::testing::PrintToString(args);
        EXPECT_EQ(err.str(), "tavren-syx: " + error);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(Read(kept), Read(locked));
    }
    EXPECT_EQ(Read(kept), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 4) << "and no temporary file left behind";
    // The worst status wins; what can be read is still listed or written.
    EXPECT_EQ(Run({"list", missing, bank}), kExitBadInput);
    EXPECT_EQ(lines.size(), 100u);
    EXPECT_EQ(Run({"join", kept, empty, bank}), kExitNoDump);
    EXPECT_EQ(out.str(), "wrote 100 patch dump(s) to " + kept + "\n");
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_EQ(out.str(), SyxToolUsage());
}
