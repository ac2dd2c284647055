#include "player/browser_pane.h"

#include <QDesktopServices>
#include <QResizeEvent>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "platform/qt_text.h"
#include "platform/shell.h"

namespace player {

namespace {

void hand_to_desktop(const QUrl& url) { platform::open_address(platform::from_qstring(url.toString())); }

class PanePage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (browser_handles_scheme(url.scheme())) return true;
        hand_to_desktop(url);
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
};

// The browser hands a link of a scheme it does not know to the desktop services; we take
// those of the download managers and route them like every other hand-over.
class SchemeHandler : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { hand_to_desktop(url); }
};

void register_scheme_handlers() {
    static SchemeHandler* handler = [] {
        auto* made = new SchemeHandler;
        for (const char* scheme : {"magnet", "ed2k", "thunder", "flashget", "qqdl"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), made, "open");
        }
        return made;
    }();
    (void)handler;
}

QUrl url_of(const QString& address) {
    if (address.startsWith('/')) return QUrl::fromLocalFile(address);
    return QUrl(address, QUrl::TolerantMode);
}

}  // namespace

bool browser_handles_scheme(const QString& scheme) {
    static const QStringList handled = {"http", "https", "file", "about", "data", "blob", "qrc"};
    return handled.contains(scheme.toLower());
}

BrowserPane::BrowserPane(QWidget* parent) : QWidget(parent) {}

void BrowserPane::navigate(const QString& address) {
    address_ = address;
    const QUrl url = url_of(address);
    if (!browser_handles_scheme(url.scheme())) {
        // A download manager's link: nothing to show here; it goes over unchanged.
        platform::open_address(platform::from_qstring(address));
        return;
    }
    ensure_view()->setUrl(url);
}

QWebEngineView* BrowserPane::ensure_view() {
    if (view_ != nullptr) return view_;
    view_ = new QWebEngineView(this);
    auto* page = new PanePage(view_);
    QWebEngineSettings* settings = page->settings();
    // Only a click of the user's may start another program, never a page's script alone.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
    register_scheme_handlers();
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    page->setZoomFactor(1.0);
    view_->setPage(page);
    view_->setGeometry(rect());
    view_->show();
    return view_;
}

void BrowserPane::resizeEvent(QResizeEvent* event) {
    if (view_ != nullptr) view_->setGeometry(QRect(QPoint(0, 0), event->size()));
    QWidget::resizeEvent(event);
}

}  // namespace player

#include "browser_pane.moc"
