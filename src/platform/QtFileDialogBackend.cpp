#include "platform/QtFileDialogBackend.h"

#include <QDir>
#include <QFileDialog>

std::optional<QString> QtFileDialogBackend::Run(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    } else {
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        dialog.selectNameFilter(request.nameFilters.value(request.selectedFilter));
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.executablesOnly) {
        // Every folder, to get anywhere; of the files only those that can be run.
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    }
    if (!request.selectedFile.isEmpty()) {
        dialog.selectFile(request.selectedFile);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) {
        return std::nullopt;
    }
    return files.first();
}
