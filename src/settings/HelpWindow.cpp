#include "settings/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Linealis Help"));
    // Closing hides it for the next request; it goes with its owner. One without an owner
    // goes when it is closed.
    setAttribute(Qt::WA_DeleteOnClose, owner == nullptr);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Only the pages themselves: nothing is fetched from elsewhere or handed to other programs.
    Browser->setOpenExternalLinks(false);
    Browser->setOpenLinks(true);
    ContentsButton = new QPushButton(QStringLiteral("&Contents"), this);
    BackButton = new QPushButton(QStringLiteral("&Back"), this);
    ForwardButton = new QPushButton(QStringLiteral("&Forward"), this);
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ContentsButton);
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser, 1);

    connect(ContentsButton, &QPushButton::clicked, this, [this] { Browser->setSource(contents_); });
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);

    resize(640, 600);
}

void HelpWindow::ShowPage(const QString& path, const QString& contentsPath) {
    contents_ = QUrl::fromLocalFile(contentsPath);
    Browser->setSource(QUrl::fromLocalFile(path));
}

QUrl HelpWindow::Page() const {
    return Browser->source();
}
