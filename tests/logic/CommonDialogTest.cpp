// The common dialog: filter conversion, flags, the remembered file and cancel.
#include "platform/CommonDialog.h"
#include "platform/FileDialogBackend.h"

#include <gtest/gtest.h>

namespace {

class ScriptedBackend : public IFileDialogBackend {
public:
    QStringList answers; // answered in order; none left answers "cancelled"
    std::vector<FileDialogRequest> requests;

    std::optional<QString> Run(QWidget*, const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.isEmpty()) {
            return std::nullopt;
        }
        return answers.takeFirst();
    }
};

TEST(CommonDialog, FiltersBecomeQtNameFilters) {
    const struct {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"BMP file(*.bmp)|*.bmp", {"BMP file(*.bmp)"}},
        {"Txt file (*.txt)|*.txt", {"Txt file (*.txt)"}},
        {"Execute file (*.exe)|*.exe", {"Execute file (*.exe)"}},
        {"All images|*.bmp;*.png;*.jpg", {"All images (*.bmp *.png *.jpg)"}},
        {"BMP file(*.bmp)|*.bmp|All images|*.bmp;*.png",
         {"BMP file(*.bmp)", "All images (*.bmp *.png)"}},
        {"", {}},
        {"Dangling description", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(CommonDialog::QtNameFilters(QString::fromLatin1(c.filter)), c.expected);
    }
}

TEST(CommonDialog, ConfirmedChoiceIsRememberedAndCancelKeepsIt) {
    ScriptedBackend backend;
    CommonDialog dialog(backend);
    dialog.DialogTitle = QStringLiteral("画像ファイルを開く");
    dialog.Filter = QStringLiteral("BMP file(*.bmp)|*.bmp");
    dialog.DefaultExt = QStringLiteral("bmp");
    dialog.Flags = CommonDialog::ReadOnlyChecked + CommonDialog::HideReadOnly;

    backend.answers.push_back(QStringLiteral("/home/u/scans/graph one.bmp"));
    ASSERT_TRUE(dialog.ShowOpen(nullptr));
    EXPECT_FALSE(dialog.Cancelled());
    EXPECT_EQ(dialog.FileName, "/home/u/scans/graph one.bmp");
    EXPECT_EQ(dialog.FileTitle, "graph one.bmp");
    ASSERT_EQ(backend.requests.size(), 1u);
    EXPECT_FALSE(backend.requests[0].save);
    EXPECT_TRUE(backend.requests[0].mustExist);
    EXPECT_EQ(backend.requests[0].title, dialog.DialogTitle);
    EXPECT_EQ(backend.requests[0].defaultSuffix, "bmp");
    EXPECT_EQ(backend.requests[0].nameFilters, QStringList{"BMP file(*.bmp)"});

    // Cancelled: both names keep their values, the next dialog starts beside the file.
    EXPECT_FALSE(dialog.ShowOpen(nullptr));
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(dialog.FileName, "/home/u/scans/graph one.bmp");
    EXPECT_EQ(dialog.FileTitle, "graph one.bmp");
    EXPECT_EQ(backend.requests[1].directory, "/home/u/scans");
    EXPECT_EQ(backend.requests[1].selectedFile, "graph one.bmp");

    // An empty answer counts as a cancel too.
    backend.answers.push_back(QLatin1String(""));
    EXPECT_FALSE(dialog.ShowOpen(nullptr));
    EXPECT_EQ(dialog.FileName, "/home/u/scans/graph one.bmp");
}

TEST(CommonDialog, FlagsDecideOverwritePromptAndValidation) {
    ScriptedBackend backend;
    CommonDialog dialog(backend);
    dialog.Flags = CommonDialog::OverwritePrompt + CommonDialog::HideReadOnly; // 6
    dialog.ShowSave(nullptr);
    dialog.Flags = CommonDialog::HideReadOnly;
    dialog.ShowSave(nullptr);
    dialog.Flags = CommonDialog::NoValidate + CommonDialog::HideReadOnly +
                   CommonDialog::PathMustExist; // 0x904
    dialog.ShowOpen(nullptr);
    ASSERT_EQ(backend.requests.size(), 3u);
    EXPECT_TRUE(backend.requests[0].save);
    EXPECT_TRUE(backend.requests[0].confirmOverwrite);
    EXPECT_FALSE(backend.requests[1].confirmOverwrite);
    EXPECT_FALSE(backend.requests[2].save);
    EXPECT_FALSE(backend.requests[2].mustExist);
}

TEST(CommonDialog, InitialFolderWinsWhenItExists) {
    ScriptedBackend backend;
    CommonDialog dialog(backend);
    dialog.FileName = QStringLiteral("/somewhere/else/data.txt");
    dialog.InitDir = QStringLiteral("/");
    dialog.ShowSave(nullptr);
    dialog.InitDir = QStringLiteral("lq.ini"); // not a folder: start beside the last file
    dialog.ShowSave(nullptr);
    EXPECT_EQ(backend.requests[0].directory, "/");
    EXPECT_EQ(backend.requests[1].directory, "/somewhere/else");
}

} // namespace
