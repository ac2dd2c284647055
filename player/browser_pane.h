#pragma once
// A browser view of the main window. The web view behind it is made on the first navigation,
// so a pane that is never used costs no browser page; all panes share one off-the-record
// profile, so nothing is written to disk.
//
// Addresses of schemes the browser does not handle itself (magnet:, ed2k:, thunder: ...) go to
// the program the desktop has registered for them, both when a pane is sent to one and when a
// page inside a pane follows such a link. Script errors and script dialogs stay silent.

#include <QString>
#include <QWidget>

class QWebEngineView;

namespace player {

class BrowserPane : public QWidget {
    Q_OBJECT
  public:
    explicit BrowserPane(QWidget* parent);

    // Navigates to a web address, or to a local file when `address` is an absolute path.
    // Returns at once; the page loads in the pane.
    void navigate(const QString& address);

    // The address of the last navigation, as it was given.
    QString address() const { return address_; }

    // The web view, once the first navigation to a browser address has made it.
    QWebEngineView* view() const { return view_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWebEngineView* ensure_view();

    QString address_;
    QWebEngineView* view_ = nullptr;
};

// True for the schemes the embedded browser shows itself.
bool browser_handles_scheme(const QString& scheme);

}  // namespace player
