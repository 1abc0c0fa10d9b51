// The common dialog: one object per use site (image open, data file save, ...) that keeps
// its title, filter, default extension, initial folder and flags, and remembers the file
// chosen last between uses. Filters are given as "description|pattern" pairs.
#pragma once

#include <QString>
#include <QStringList>

class IFileDialogBackend;
class QWidget;

class CommonDialog {
public:
    // Flag values, combined by addition.
    static constexpr int ReadOnlyChecked = 0x1;
    static constexpr int OverwritePrompt = 0x2;
    static constexpr int HideReadOnly = 0x4;
    static constexpr int NoValidate = 0x100;
    static constexpr int PathMustExist = 0x800;

    explicit CommonDialog(IFileDialogBackend& backend)
        : backend_(backend) {}

    QString DialogTitle;
    QString Filter;      // "BMP file(*.bmp)|*.bmp|All images|*.bmp;*.png"
    int FilterIndex = 1; // 1 = first pair
    QString DefaultExt;
    QString InitDir;
    int Flags = 0;
    bool ExecutablesOnly = false; // list only programs (files the user may run) and folders
    QString FileName;             // full path chosen last
    QString FileTitle;            // its last component

    // Show the dialog; true when the user chose a file (FileName and FileTitle then hold
    // it), false when cancelled (both keep their previous values).
    bool ShowOpen(QWidget* parent);
    bool ShowSave(QWidget* parent);

    // True when the last ShowOpen/ShowSave was cancelled.
    bool Cancelled() const { return cancelled_; }

    // "desc|pattern|desc|pattern" -> Qt name filters ("desc (pattern pattern)"); a
    // description that already ends with its patterns in parentheses is kept as it is.
    static QStringList QtNameFilters(const QString& filter);

private:
    bool show(QWidget* parent, bool save);

    IFileDialogBackend& backend_;
    bool cancelled_ = false;
};
