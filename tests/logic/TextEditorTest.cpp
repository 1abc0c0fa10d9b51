// Which editor "Edit data file" starts.
#include "platform/TextEditor.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEditor, VisualIsSplitLikeACommandLineWithoutAShell) {
    const struct {
        const char* visual;
        const char* program;
        QStringList arguments;
    } cases[] = {
        {"mousepad", "mousepad", {}},
        {"  kate  -n ", "kate", {"-n"}},
        {"\"/opt/my editor/edit\" --new-window", "/opt/my editor/edit", {"--new-window"}},
        {"gedit; rm -rf ~", "gedit;", {"rm", "-rf", "~"}}, // words, never a command to run
    };
    const auto nothingInstalled = [](const QString&) { return QString(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.visual);
        const auto editor = FindTextEditor(QString::fromUtf8(c.visual), nothingInstalled);
        ASSERT_TRUE(editor.has_value());
        EXPECT_EQ(editor->program, c.program);
        EXPECT_EQ(editor->arguments, c.arguments);
    }
}

TEST(TextEditor, WithoutVisualTheFirstInstalledEditorIsTaken) {
    const auto installed = [](const QString& name) {
        return name == "mousepad" || name == "xedit" ? "/usr/bin/" + name : QString();
    };
    const auto editor = FindTextEditor(QString(), installed);
    ASSERT_TRUE(editor.has_value());
    EXPECT_EQ(editor->program, "/usr/bin/mousepad");
    EXPECT_TRUE(editor->arguments.isEmpty());

    EXPECT_FALSE(FindTextEditor("   ", [](const QString&) { return QString(); }).has_value());
}

} // namespace
