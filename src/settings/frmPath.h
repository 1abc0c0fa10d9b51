// The default data path dialog: a directory tree, the list of mounted file systems and a label
// showing the directory open in the tree. "&Save" takes that directory and writes it to lq.ini
// at once, "&OK" takes it for this run, "&Cancel" takes nothing.
#pragma once

#include "settings/Volumes.h"

#include <QDialog>
#include <QList>

class ElidedLabel;
class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;
struct PlatformServices;
struct SettingsModule;

class frmPath : public QDialog {
    Q_OBJECT
public:
    // `optionsPathLabel` is the options dialog's label of the default path, which shows what
    // this dialog takes; it may be null.
    frmPath(SettingsModule& settings, PlatformServices& platform, ElidedLabel* optionsPathLabel,
            QWidget* parent = nullptr);

    // Controls, under their design names. Drive1 lists mounted file systems.
    QTreeView* Dir1 = nullptr;
    QComboBox* Drive1 = nullptr;
    ElidedLabel* lblPath = nullptr;
    QPushButton* cmdPath[3] = {};

    // The directory open in the tree, without a trailing separator.
    QString Dir1Path() const;
    // Opens `path` in the tree; false, leaving the tree as it was, when it is not a directory
    // that can be opened.
    bool SetDir1Path(const QString& path);

    // Fills the file system list and selects the one holding the tree's directory.
    void FillDrives(const QList<Volume>& volumes);
    const QList<Volume>& Drives() const { return volumes_; }

    // The user picked entry `index` of the file system list.
    void Drive1_Change(int index);
    // 0 "&Save", 1 "&OK", 2 "&Cancel".
    void cmdPath_Click(int Index);

    // What "&Save" says when the directory cannot be kept in lq.ini as it is.
    static QString NotStorableMessage();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void ScrollToCurrent();
    void Dir1_Change();
    void SelectDriveOf(const QString& path);

    SettingsModule& settings_;
    PlatformServices& platform_;
    ElidedLabel* optionsPathLabel_;
    QFileSystemModel* model_ = nullptr;
    QList<Volume> volumes_;
    // The open folder is kept in view while the tree reads and sorts folders, until the user
    // scrolls or clicks in it.
    bool followCurrent_ = true;
};
