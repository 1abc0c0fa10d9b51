// What the common dialog asks of the toolkit: one modal file dialog, already described in
// the toolkit's own terms. Tests replace it with a scripted answer.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

struct FileDialogRequest {
    bool save = false; // save dialog, else open dialog
    QString title;
    QStringList nameFilters;       // Qt form: "BMP file(*.bmp)", "All images (*.bmp *.png)"
    int selectedFilter = 0;        // index into nameFilters
    QString directory;             // initial folder, empty for the toolkit's choice
    QString selectedFile;          // file name to preselect, may be empty
    QString defaultSuffix;         // appended when the user types a name without one
    bool confirmOverwrite = false; // save only: ask before an existing file is chosen
    bool mustExist = true;         // open only: the chosen file must exist
    bool executablesOnly = false;  // list only folders and files the user may run
};

class IFileDialogBackend {
public:
    virtual ~IFileDialogBackend() = default;

    // Shows the dialog modally. The chosen absolute path, or nothing when cancelled.
    virtual std::optional<QString> Run(QWidget* parent, const FileDialogRequest& request) = 0;
};
