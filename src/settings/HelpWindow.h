// The program's own help window: a browser over the HTML help pages with buttons for the
// contents and for going back and forward. It stays open beside the program's windows.
#pragma once

#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own that belongs to `owner`, which destroys it.
    explicit HelpWindow(QWidget* owner);

    // Shows the page at `path`; `contentsPath` is where the contents button leads.
    void ShowPage(const QString& path, const QString& contentsPath);
    QUrl Page() const;

    QTextBrowser* Browser = nullptr;
    QPushButton* ContentsButton = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* ForwardButton = nullptr;

private:
    QUrl contents_;
};
