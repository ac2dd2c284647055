#include "platform/shell.h"

#include <mutex>

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

#include "platform/qt_text.h"
#include "platform/ui.h"

namespace platform {

namespace {

std::mutex& opener_mutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
AddressOpener& installed_opener() {
    static auto* opener = new AddressOpener;
    return *opener;
}

}  // namespace

AddressOpener set_address_opener(AddressOpener opener) {
    std::lock_guard lock(opener_mutex());
    std::swap(installed_opener(), opener);
    return opener;
}

void open_address(const text::Text& address) {
    AddressOpener opener;
    {
        std::lock_guard lock(opener_mutex());
        opener = installed_opener();
    }
    if (opener) {
        opener(address);
        return;
    }
    const QString value = to_qstring(address);
    const QUrl url(value, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == "http" || scheme == "https" || scheme == "file") {
        run_on_gui([&url] { QDesktopServices::openUrl(url); });
        return;
    }
    // magnet:, ed2k:, thunder: ... go to their handler exactly as written: a URL parser would
    // re-encode the "|" of an ed2k link.
    QProcess::startDetached(QStringLiteral("xdg-open"), {value});
}

void set_clipboard_text(const text::Text& text_gbk) {
    const QString value = to_qstring(text_gbk);
    run_on_gui([&value] {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(value);
    });
}

text::Text clipboard_text() {
    QString value;
    run_on_gui([&value] {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) value = clipboard->text();
    });
    return from_qstring(value);
}

}  // namespace platform
