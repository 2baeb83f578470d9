#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/panel_harness.h"
#include "host/panel/panel_script.h"

using namespace tavi::test;
using tavi::host::PanelScript;
using tavi::host::ScriptEvent;

namespace {

std::string parseError(std::string_view text) {
    const PanelScript script = PanelScript::parse(text, "s.txt");
    return script.valid() ? std::string() : tavi::host::describeError(script.source(), *script.error());
}

}  // namespace

TEST(PanelScript, ReadsOneEventALineSkippingCommentsAndBlankLines) {
    const PanelScript script = PanelScript::parse(
        "# a session\n"
        "\n"
        "set Target RGB only   # the first item\n"
        "  set Strength 40\n"
        "click Draw\n"
        "drag 10 -20 start\n"
        "drag 11 -21\n"
        "ok\n"
        "# done\n",
        "s.txt");
    ASSERT_TRUE(script.valid());
    const auto &events = script.events();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].action, ScriptEvent::Action::Set);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[0].control, "Target");
    EXPECT_EQ(events[0].value, "RGB only");
    EXPECT_EQ(events[1].value, "40");
    EXPECT_EQ(events[2].action, ScriptEvent::Action::Click);
    EXPECT_EQ(events[2].control, "Draw");
    EXPECT_EQ(events[3].action, ScriptEvent::Action::Drag);
    EXPECT_EQ(events[3].x, 10);
    EXPECT_EQ(events[3].y, -20);
    EXPECT_TRUE(events[3].start);
    EXPECT_FALSE(events[4].start);
    EXPECT_EQ(events[5].action, ScriptEvent::Action::Ok);
    EXPECT_EQ(events[5].line, 8);
}

TEST(PanelScript, SyntaxErrorsNameTheLine) {
    EXPECT_EQ(parseError("set Enabled 0\npress Draw\nok"), "s.txt:2: unknown command 'press'");
    EXPECT_EQ(parseError("set Enabled\nok"), "s.txt:1: set needs a control and a value");
    EXPECT_EQ(parseError("\nclick Draw now\nok"), "s.txt:2: click needs exactly one control");
    EXPECT_EQ(parseError("drag 1\nok"), "s.txt:1: drag needs X Y, optionally followed by start");
    EXPECT_EQ(parseError("drag 1 y\nok"), "s.txt:1: drag needs whole numbers for X and Y");
    EXPECT_EQ(parseError("drag 1 2.5\nok"), "s.txt:1: drag needs whole numbers for X and Y");
    EXPECT_EQ(parseError("drag 40000 2\nok"), "s.txt:1: drag coordinates lie in -32768..32767");
    EXPECT_EQ(parseError("drag 1 2 stop\nok"), "s.txt:1: drag takes only start after X Y, not 'stop'");
    EXPECT_EQ(parseError("ok now"), "s.txt:1: ok takes nothing after it");
    EXPECT_EQ(parseError("ok\n# fine\nset Auto 1"), "s.txt:3: nothing may follow ok or cancel");
    EXPECT_EQ(parseError("set Auto 1\n\n"), "s.txt:2: the script ends without ok or cancel");
    EXPECT_EQ(parseError(""), "s.txt: the script ends without ok or cancel") << "an empty script has no line";
    EXPECT_EQ(parseError("cancel\n"), "");
}

TEST(PanelScript, AnUnreadableFileIsAnError) {
    const PanelScript script = PanelScript::load("/nonexistent/session.txt");
    ASSERT_FALSE(script.valid());
    EXPECT_EQ(tavi::host::describeError(script.source(), *script.error()), "/nonexistent/session.txt: no such file");
    // Only a regular file is read: a device would be read for ever.
    for (const auto &[path, problem] :
         {std::pair<const char *, const char *>{"/dev/zero", "is a character device"}, {"/", "is a folder"}}) {
        const PanelScript other = PanelScript::load(path);
        ASSERT_FALSE(other.valid());
        EXPECT_EQ(tavi::host::describeError(other.source(), *other.error()),
                  std::string(path) + ": " + problem + ", not a regular file");
    }
}

TEST(PanelScript, ControlsAndValuesAreCheckedBeforeAnyEventIsPlayed) {
    struct Case {
        const char *script;
        const char *error;
    };
    const Case cases[] = {
        {"set Enabled 0\nset Colour 3\nok", "test script:2: the panel has no control named 'Colour'"},
        {"set Enabled 0\nset Threshold 257\nok", "test script:2: 257 is outside Threshold's range 0 to 256"},
        {"set Enabled 0\nset Strength -1\nok", "test script:2: -1 is outside Strength's range 0 to 100"},
        {"set Enabled 0\nset Zoom 4\nok", "test script:2: 4 is outside Zoom's range 0 to 3"},
        {"set Enabled 0\nset Enabled 2\nok", "test script:2: 2 is outside Enabled's range 0 to 1"},
        {"set Enabled 0\nset Strength high\nok", "test script:2: 'high' is not a number"},
        {"set Enabled 0\nset Target Purple\nok",
         "test script:2: 'Purple' is not an item of Target (RGB only, Alpha only, RGBA)"},
        {"set Enabled 0\nset PreviewType 2\nok", "test script:2: 2 is outside PreviewType's range 0 to 1"},
        {"set Enabled 0\nset Draw 1\nok", "test script:2: Draw has no value to set"},
        {"set Enabled 0\nclick Target\nok", "test script:2: Target is not a button"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        PanelHarness panel;
        panel.open(c.script);
        EXPECT_EQ(panel.scriptError(), c.error);
        EXPECT_EQ(panel.eventsPlayed(), 0);
        EXPECT_EQ(panel.inst()->enabled, 1) << "the first event was not played";
        EXPECT_EQ(panel.session().result, 0);
    }
}

TEST(PanelScript, AHiddenOrDisabledControlStopsTheSessionAsCancel) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    panel.open("set Enabled 0\nset Strength 10\nset Zoom 1\nset Auto 1\nok");
    EXPECT_EQ(panel.scriptError(), "test script:3: Zoom is hidden");
    EXPECT_EQ(panel.eventsPlayed(), 2);
    EXPECT_EQ(inst->enabled, 0) << "played before the error";
    EXPECT_EQ(inst->curStrength, 10);
    EXPECT_EQ(inst->autoDraw, 0) << "never played";
    EXPECT_EQ(inst->strength, 100) << "cancelled, not confirmed";
    EXPECT_EQ(panel.session().result, 0);

    panel.open("set Auto 1\nclick Draw\nok");
    EXPECT_EQ(panel.scriptError(), "test script:2: Draw is disabled");
    EXPECT_EQ(inst->autoDraw, 1);
}

TEST(PanelScript, PopupsTakeItemTextOrIndex) {
    PanelHarness panel;
    panel.open("set Target Alpha only\nok");
    EXPECT_EQ(panel.inst()->target, 1);
    panel.open("set Target 0\nok");
    EXPECT_EQ(panel.inst()->target, 0);
    panel.open("set Target RGBA\nset PreviewType Alpha\nok");
    EXPECT_EQ(panel.inst()->target, 2);
    EXPECT_EQ(panel.inst()->previewType, 1);
}

TEST(PanelScript, OkConfirmsAndCancelCancels) {
    PanelHarness panel;
    panel.open("set Strength 55\nok");
    EXPECT_EQ(panel.session().result, 1);
    EXPECT_EQ(panel.inst()->strength, 55);
    panel.open("set Strength 20\ncancel");
    EXPECT_EQ(panel.session().result, 0);
    EXPECT_EQ(panel.inst()->strength, 55);
}

TEST(PanelScript, MessagesNameControlsAsTheScriptDoesAndShowItsWordsReadably) {
    PanelHarness panel;
    // The drag button has no label; it is not named by its kind either.
    panel.open("drag 0 0 start\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: the drag button is hidden");

    const std::string longWord(100, 'w');
    EXPECT_EQ(parseError(longWord + "\nok"), "s.txt:1: unknown command '" + std::string(40, 'w') + "...'");
    EXPECT_EQ(parseError("pr\x01ss\nok"), "s.txt:1: unknown command 'pr\\x01ss'");
    EXPECT_EQ(parseError("drag 1 2 st\x7f\nok"), "s.txt:1: drag takes only start after X Y, not 'st\\x7f'");
    // Cut before a character, never inside one.
    std::string accents;
    for (int i = 0; i < 30; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(parseError("x" + accents + "\nok"), "s.txt:1: unknown command 'x" + accents.substr(0, 38) + "...'");

    panel.open("set Strength 1\x1b[2J\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: '1\\x1b[2J' is not a number");
    panel.open("set Target Pur\tple\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: 'Pur\\tple' is not an item of Target (RGB only, Alpha only, RGBA)");
    panel.open("set " + longWord + " 1\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: the panel has no control named '" + std::string(40, 'w') + "...'");
    panel.open("set Strength " + std::string(60, '9') + "\nok");
    EXPECT_EQ(panel.scriptError(), "test script:1: '" + std::string(40, '9') + "...' is not a number");
}
