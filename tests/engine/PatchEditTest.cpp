// The edit of a patch: the dump it stores, byte for byte where nothing was edited, the
// settings without a knob, and the history of its steps.
#include "engine/PatchEdit.h"
#include "engine/DumpPacker.h"
#include "engine/EditHistory.h"
#include "engine/PatchSettings.h"
#include "engine/SysExConstants.h"

#include "FactoryBank.h"

#include <gtest/gtest.h>

namespace {

// The unpacked bytes in which two dumps differ.
std::vector<int> Differences(const Bytes& a, const Bytes& b) {
    const std::vector<uint8_t> x = UnpackPatchData(a), y = UnpackPatchData(b);
    std::vector<int> differ;
    for (size_t k = 0; k < std::max(x.size(), y.size()); ++k)
        if (k >= x.size() || k >= y.size() || x[k] != y[k])
            differ.push_back(static_cast<int>(k));
    return differ;
}

std::string Settings(const PatchEdit& edit) {
    const std::vector<uint8_t> data = edit.Unpacked();
    std::string text;
    for (const SettingRow& row : SettingTable())
        text += std::string(row.name) + "=" + SettingText(row, data.data(), data.size()) + ";";
    return text;
}

} // namespace

TEST(PatchEdit, TheStoredDumpKeepsEveryByteThatWasNotEdited) {
    const Bytes factory = LoadFactoryBank()[7];
    const struct {
        const char* what;
        void (*edit)(PatchEdit&);
        std::vector<int> changed; // unpacked bytes
    } cases[] = {
        {"nothing", [](PatchEdit&) {}, {}},
        {"a knob: high byte, low byte 0", [](PatchEdit& e) { e.SetValue(17, 200); }, {23, 24}},
        {"a knob turned and back",
         [](PatchEdit& e) {
             const int base = e.Value(15);
             e.SetValue(15, base ^ 0x55), e.SetValue(15, base);
         },
         {}},
        {"a switch: its bits only", [](PatchEdit& e) { e.SetValue(75, 1 - e.Value(75)); }, {66}},
        {"the shape, a whole byte", [](PatchEdit& e) { e.SetValue(57, 4); }, {64}},
        {"a name",
         [](PatchEdit& e) { e.SetName("Brassy"); },
         {150, 151, 152, 153, 154, 155, 156, 157, 158, 160}}, // the NUL pads
        {"a setting", [](PatchEdit& e) { e.SetByte(72, 3); }, {72}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PatchEdit edit(factory);
        c.edit(edit);
        const Bytes dump = edit.BuildDump(7);
        EXPECT_EQ(dump.size(), 210u);
        EXPECT_EQ(Differences(factory, dump), c.changed);
        EXPECT_EQ(PatchEdit(dump).Values(), edit.Values()) << "opened again, it shows what was edited";
        EXPECT_EQ(ReadPatchName(dump), edit.Name());
    }
    PatchEdit renamed(factory);
    renamed.SetName("Sixteen chars ok");
    EXPECT_EQ(UnpackPatchData(renamed.BuildDump(7))[165], 'k');
    EXPECT_EQ(ReadPatchNumber(renamed.BuildDump(342)), 342);
    EXPECT_EQ(PatchEdit().BuildDump(7), Bytes());
}

TEST(PatchEdit, AnOlderBaseIsStoredAsCurrentFirmwareConvertsIt) {
    std::vector<uint8_t> data = UnpackPatchData(LoadFactoryBank()[12]);
    data[4] = kFormatVersion6E;
    data.resize(158); // older dumps are shorter
    data[150] = 'O', data[151] = 'l', data[152] = 'd', data[153] = 0;
    const PatchEdit edit(PackPatchDump(12, data));
    const Bytes dump = edit.BuildDump(12);
    EXPECT_EQ(ReadFormatVersion(dump), kFormatVersion6F);
    EXPECT_EQ(dump.size(), 210u);
    PatchEdit stored(dump);
    EXPECT_EQ(stored.Value(41), 0) << "LFO AT, which older formats lack";
    stored.SetValue(41, -1);
    EXPECT_EQ(stored.Values(), edit.Values());
    EXPECT_EQ(edit.Value(29), 0x0E - 0x08) << "the LFO amount without its dead zone";
    EXPECT_EQ(ReadPatchName(dump), "Old");
    EXPECT_FALSE(edit.Modified()) << "a conversion is no edit";
    EXPECT_EQ(Settings(edit), Settings(PatchEdit(LoadFactoryBank()[12]))) << "the factory's are the defaults";
}

TEST(PatchEdit, SettingsReadAsTheDialogShowsThem) {
    // What the factory bank is known to hold in every patch.
    const PatchEdit factory(LoadFactoryBank()[0]);
    for (const char* part :
         {"Pitch bend target=VCO;", "Pitch bend range=12 semitones;", "Per-note tuning=equal temperament;",
          "Voice spread=Off;", "Key tracking reference=C4;", "Glide mode=Time;"})
        EXPECT_NE(Settings(factory).find(part), std::string::npos) << part << " in " << Settings(factory);
    PatchEdit edit = factory;
    const uint8_t voices[] = {0, 7, 12, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 8; ++i)
        edit.SetByte(86 + i, voices[i]);
    edit.SetByte(171, 0x00), edit.SetByte(172, 0x10), edit.SetByte(100, 1), edit.SetByte(169, 9);
    const std::string text = Settings(edit);
    for (const char* part : {"Pitch bend range=2 semitones;", "Unison voices=0 +7 +12;",
                             "Per-note tuning=custom;", "Key tracking reference=?;"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    EXPECT_TRUE(edit.Modified());
}

TEST(EditHistory, StepsJoinWhatBelongsTogetherAndUndoRedoReturnToThem) {
    using Source = EditHistory::Source;
    const auto t0 = EditHistory::Clock::now();
    const auto at = [t0](int ms) { return t0 + std::chrono::milliseconds(ms); };
    const struct {
        const char* what;
        EditHistory::Key key;
        size_t steps; // after recording it
    } changes[] = {
        {"CUTOFF", {Source::Drag, 15, 1, at(0)}, 1},      {"CUTOFF", {Source::Drag, 15, 1, at(5000)}, 1},
        {"CUTOFF", {Source::Drag, 15, 2, at(5001)}, 2},   {"RESONANCE", {Source::Drag, 16, 2, at(5002)}, 3},
        {"NOISE", {Source::Timed, 37, 0, at(6000)}, 4},   {"NOISE", {Source::Timed, 37, 0, at(6999)}, 4},
        {"NOISE", {Source::Timed, 37, 0, at(8000)}, 5},   {"GLIDE", {Source::Instrument, 30, 0, at(8001)}, 6},
        {"Show 1:00", {Source::Show, 0, 9, at(9000)}, 7}, {"Show 1:01", {Source::Show, 0, 9, at(9001)}, 7},
        {"Rename", {Source::Other, 0, 0, at(9002)}, 8},   {"Rename", {Source::Other, 0, 0, at(9003)}, 9},
    };
    EditHistory history;
    std::vector<PatchEdit> states = {PatchEdit(LoadFactoryBank()[0])};
    for (const auto& c : changes) {
        PatchEdit next = states.back();
        next.SetValue(8, static_cast<int>(states.size()));
        history.Record(c.what, states.back(), next, c.key);
        states.push_back(next);
        EXPECT_EQ(history.Size(), c.steps) << c.what << " " << states.size();
    }
    EXPECT_EQ(history.UndoText(), "Undo Rename");
    EXPECT_EQ(history.Undo(), states[11]);
    EXPECT_EQ(history.Undo(), states[10]);
    EXPECT_EQ(history.UndoText(), "Undo Show 1:00") << "a bank load's patches are one step";
    EXPECT_EQ(history.Undo(), states[8]);
    EXPECT_EQ(history.RedoText(), "Redo Show 1:00");
    EXPECT_EQ(history.Redo(), states[10]);
    history.Undo(), history.Undo(), history.Undo(), history.Undo(), history.Undo();
    EXPECT_EQ(history.UndoText(), "Undo CUTOFF");
    EXPECT_EQ(history.Undo(), states[2]) << "the second drag";
    EXPECT_EQ(history.Undo(), states[0]) << "the first drag, wherever it went";
    EXPECT_FALSE(history.Undo());
    EXPECT_EQ(history.UndoText(), "Undo");
    history.Redo();
    history.Record("GLIDE", states[2], states[0], {Source::Timed, 30, 0, at(20000)});
    EXPECT_FALSE(history.CanRedo()) << "a new step drops what was undone";
    EXPECT_EQ(history.Size(), 2u);
    for (int i = 0; i < 1100; ++i)
        history.Record("NOISE", states[0], states[1], {Source::Other, 0, 0, at(i)});
    EXPECT_EQ(history.Size(), EditHistory::kLimit);
    history.Record("Show Patch", states[0], states[1], {Source::Show, 0, 7, at(0)});
    history.Record("Show Patch", states[1], states[0], {Source::Show, 0, 7, at(1)});
    EXPECT_EQ(history.UndoText(), "Undo NOISE") << "a step that ends where it began is none";
}

// What the settings dialog takes: a field's text back into the bytes it stands for.
TEST(PatchSettings, AFieldsTextIsItsBytesOrNothing) {
    const auto row = [](const char* name) {
        for (const SettingRow& r : SettingTable())
            if (std::string(r.name) == name)
                return r;
        return SettingRow{};
    };
    const struct {
        const char* setting;
        std::string text;
        std::optional<std::vector<uint8_t>> bytes;
    } cases[] = {
        {"Pitch bend target", "Vol", std::vector<uint8_t>{3}},
        {"Pitch bend target", "vol", std::nullopt},
        {"Glide mode", "Speed", std::vector<uint8_t>{1}},
        {"Pitch bend range", "12", std::vector<uint8_t>{0x00, 0x60}},
        {"Pitch bend range", "31", std::vector<uint8_t>{0x00, 0xF8}},
        {"Pitch bend range", "32", std::nullopt},
        {"Pitch bend range", "1.5", std::nullopt},
        {"Unison detune", "65535", std::vector<uint8_t>{0xFF, 0xFF}},
        {"Unison detune", "65536", std::nullopt},
        {"Modulation delay", "", std::nullopt},
        {"Unison voices", "0 +7  12", std::vector<uint8_t>{0, 7, 12, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"Unison voices", "0 0 0 0 0 0 0 0", std::vector<uint8_t>(8, 0)},
        {"Unison voices", "0 0 0 0 0 0 0 0 0", std::nullopt},
        {"Unison voices", " ", std::nullopt},
        {"Unison voices", "0 -7", std::nullopt},
        {"Per-note tuning", "equal temperament", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSettingField(row(c.setting), c.text), c.bytes) << c.setting << " '" << c.text << "'";
    // Every field as the dialog first shows it reads back as the bytes it came from.
    const std::vector<uint8_t> data = PatchEdit(LoadFactoryBank()[3]).Unpacked();
    for (const SettingRow& r : SettingTable()) {
        if (r.kind == SettingKind::Tuning)
            continue;
        const std::vector<uint8_t> stored(data.begin() + r.byte, data.begin() + r.byte + r.length);
        EXPECT_EQ(ParseSettingField(r, SettingField(r, data.data(), data.size())), stored) << r.name;
    }
}

TEST(PatchEdit, NamesAreOneToSixteenPrintableCharacters) {
    for (auto [name, valid] : {std::pair{"A", true},
                               {"Sixteen chars ok", true},
                               {"Seventeen chars!!", false},
                               {"", false},
                               {"Tab\tname", false},
                               {"Caf\xC3\xA9", false},
                               {" ~", true}})
        EXPECT_EQ(IsValidPatchName(name), valid) << name;
}
