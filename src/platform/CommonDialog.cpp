#include "platform/CommonDialog.h"

#include "platform/FileDialogBackend.h"

#include <QDir>
#include <QFileInfo>

QStringList CommonDialog::QtNameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
        }
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt takes the patterns from the last parenthesised group of the text.
        if (description.endsWith(QLatin1Char('(') + joined + QLatin1Char(')'))) {
            result.append(description);
        } else {
            result.append(description + QLatin1String(" (") + joined + QLatin1Char(')'));
        }
    }
    return result;
}

bool CommonDialog::ShowOpen(QWidget* parent) {
    return show(parent, false);
}

bool CommonDialog::ShowSave(QWidget* parent) {
    return show(parent, true);
}

bool CommonDialog::show(QWidget* parent, bool save) {
    FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.nameFilters = QtNameFilters(Filter);
    request.selectedFilter =
        qBound(0, FilterIndex - 1, qMax(0, int(request.nameFilters.size()) - 1));
    request.defaultSuffix = DefaultExt;
    request.confirmOverwrite = save && (Flags & OverwritePrompt);
    request.mustExist = !save && !(Flags & NoValidate);
    request.executablesOnly = ExecutablesOnly;

    // Start where the caller asked, else beside the file chosen last.
    if (!InitDir.isEmpty() && QFileInfo(InitDir).isDir()) {
        request.directory = InitDir;
    } else if (!FileName.isEmpty()) {
        request.directory = QFileInfo(FileName).absolutePath();
    }
    if (!FileName.isEmpty()) {
        request.selectedFile = QFileInfo(FileName).fileName();
    }

    const auto chosen = backend_.Run(parent, request);
    cancelled_ = !chosen.has_value() || chosen->isEmpty();
    if (cancelled_) {
        return false;
    }
    FileName = QDir::cleanPath(*chosen);
    FileTitle = QFileInfo(FileName).fileName();
    return true;
}
