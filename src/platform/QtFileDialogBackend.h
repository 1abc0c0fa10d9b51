// The toolkit's file dialog behind the common dialog.
#pragma once

#include "platform/FileDialogBackend.h"

class QtFileDialogBackend : public IFileDialogBackend {
public:
    std::optional<QString> Run(QWidget* parent, const FileDialogRequest& request) override;
};
