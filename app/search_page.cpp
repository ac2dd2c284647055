#include "app/search_page.h"

#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/startup.h"
#include "platform/qt_text.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "player/browser_pane.h"
#include "search/engines.h"
#include "search/search.h"
#include "search/texts.h"

namespace app {

namespace {

constexpr int number_column = 0;
constexpr int link_column = 2;
constexpr int cloud_play_page = 0;

template <class T>
T* named(const QWidget* window, const char* name) {
    return window != nullptr ? window->findChild<T*>(QString::fromUtf8(name)) : nullptr;
}

// The combo is editable: a typed text that names no item means no current selection.
int engine_selection(const QWidget* window) {
    const auto* combo = named<QComboBox>(window, "组合框1");
    if (combo == nullptr) return -1;
    const int index = combo->currentIndex();
    if (index >= 0 && combo->itemText(index) == combo->currentText()) return index;
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// The search page's controls as the search logic sees them. Every call comes from a worker
// (or the GUI thread itself) and is carried onto the GUI thread.
class WindowSearchView : public search::SearchView {
  public:
    explicit WindowSearchView(MainWindow* window) : window_(window) {}

    text::Text keyword() override {
        QString value;
        platform::run_on_gui([&] {
            if (auto* edit = named<QLineEdit>(window_, "编辑框_种子关键字")) value = edit->text();
        });
        return platform::from_qstring(value);
    }

    int engine_index() override {
        int index = -1;
        platform::run_on_gui([&] { index = engine_selection(window_); });
        return index;
    }

    Endpoints endpoints() override { return app::endpoints(); }

    void clear_rows() override {
        platform::run_on_gui([&] {
            if (auto* list = named<QTreeWidget>(window_, "超级列表框1")) list->clear();
        });
    }

    void append_rows(std::vector<search::ResultRow> rows) override {
        // Queued without waiting: the worker goes on with the next batch while the GUI thread
        // takes this one in, and the calls that follow wait on the same queue, so they come
        // after it. The items are made on the GUI thread, whose memory they live in.
        platform::post_to_gui([window = window_, rows = std::move(rows)] {
            auto* list = named<QTreeWidget>(window, "超级列表框1");
            if (list == nullptr) return;
            QList<QTreeWidgetItem*> items;
            items.reserve(static_cast<qsizetype>(rows.size()));
            for (const search::ResultRow& row : rows) {
                items.append(new QTreeWidgetItem(
                    QStringList{platform::to_qstring(row.number), platform::to_qstring(row.name),
                                platform::to_qstring(row.link), platform::to_qstring(row.size)}));
            }
            list->addTopLevelItems(items);
        });
    }

    void set_notice_visible(bool visible) override {
        platform::run_on_gui([&] {
            for (const char* name : {"标签5", "图片框7"}) {
                if (auto* part = named<QWidget>(window_, name)) part->setVisible(visible);
            }
        });
    }

    void set_status_text(const text::Text& status) override {
        const QString caption =
            platform::to_qstring(status).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        platform::run_on_gui([&] {
            if (auto* label = named<QLabel>(window_, "种子结果标签")) label->setText(caption);
        });
    }

    void show_message(const text::Text& message) override { platform::message_box(message); }

  private:
    QPointer<MainWindow> window_;
};

// The view and the session of one window; they go when the window goes.
class SearchPage : public QObject {
  public:
    explicit SearchPage(MainWindow* window) : QObject(window), view(window), session(view) {
        setObjectName(object_name());
    }
    static QString object_name() { return QStringLiteral("搜索页"); }
    WindowSearchView view;
    search::SearchSession session;
};

// The stored link of the first selected row; empty with no row selected.
text::Text selected_cell(const MainWindow* window, int column) {
    const auto* list = named<QTreeWidget>(window, "超级列表框1");
    if (list == nullptr) return {};
    const QTreeWidgetItem* first = nullptr;
    int first_index = -1;
    for (const QTreeWidgetItem* item : list->selectedItems()) {
        const int index = list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
        if (first == nullptr || index < first_index) {
            first = item;
            first_index = index;
        }
    }
    return first != nullptr ? platform::from_qstring(first->text(column)) : text::Text();
}

// The selected row's link for the engine selected now: the list does not remember which
// engine found a row.
std::optional<text::Text> selected_link(const MainWindow* window) {
    return search::complete_link(engine_selection(window), selected_cell(window, link_column));
}

void open_result_menu(MainWindow* window) {
    if (selected_cell(window, number_column).empty()) return;
    window->result_menu()->popup(QCursor::pos());
}

void play_online(MainWindow* window) {
    window->pages()->setCurrentIndex(cloud_play_page);
    const std::optional<text::Text> link = selected_link(window);
    if (!link) return;
    auto* link_box = named<QLineEdit>(window, "编辑框2");
    auto* player = named<player::BrowserPane>(window, "超文本浏览框2");
    if (link_box == nullptr || player == nullptr) return;
    link_box->setText(platform::to_qstring(*link));
    // The player is sent to what the link box holds, as if the user had typed it there.
    player->navigate(
        platform::to_qstring(endpoints().cloud_play_base + platform::from_qstring(link_box->text())));
}

void copy_link(MainWindow* window) {
    if (const std::optional<text::Text> link = selected_link(window)) platform::set_clipboard_text(*link);
}

// The desktop hands the link to the program registered for its scheme (a download manager
// for magnet: and ed2k:); nothing is shown here.
void download(MainWindow* window) {
    if (const std::optional<text::Text> link = selected_link(window)) platform::open_address(*link);
}

// A double-click anywhere on the list plays, also on its empty part.
class DoubleClickPlays : public QObject {
  public:
    DoubleClickPlays(MainWindow* window, QObject* parent) : QObject(parent), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && window_ != nullptr)
            play_online(window_);
        return QObject::eventFilter(watched, event);
    }

  private:
    QPointer<MainWindow> window_;
};

void on_menu_item(MainWindow* window, const char* item, void (*action)(MainWindow*)) {
    if (auto* entry = window->result_menu()->findChild<QAction*>(QString::fromUtf8(item)))
        QObject::connect(entry, &QAction::triggered, window, [window, action] { action(window); });
}

}  // namespace

std::unique_ptr<search::SearchView> make_search_view(MainWindow* window) {
    return std::make_unique<WindowSearchView>(window);
}

bool search_running(const MainWindow* window) {
    const auto* page = static_cast<const SearchPage*>(
        window->findChild<QObject*>(SearchPage::object_name(), Qt::FindDirectChildrenOnly));
    return page != nullptr && page->session.busy;
}

void connect_search_page(MainWindow* window) {
    auto* page = new SearchPage(window);
    search::SearchSession& session = page->session;

    auto* search_button = named<QPushButton>(window, "种子搜索按钮");
    auto* more_button = named<QPushButton>(window, "种子搜索加载更多按钮");
    auto* keyword_box = named<QLineEdit>(window, "编辑框_种子关键字");
    QObject::connect(search_button, &QPushButton::clicked, page,
                     [&session] { search::start_search(session); });
    QObject::connect(keyword_box, &QLineEdit::returnPressed, page,
                     [&session] { search::start_search(session); });
    QObject::connect(more_button, &QPushButton::clicked, page, [&session] { search::load_more(session); });
    // Enter in the combo's edit must not add a fifth engine.
    if (auto* combo = named<QComboBox>(window, "组合框1")) combo->setInsertPolicy(QComboBox::NoInsert);

    auto* list = named<QTreeWidget>(window, "超级列表框1");
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, window,
                     [window] { open_result_menu(window); });
    list->viewport()->installEventFilter(new DoubleClickPlays(window, list));

    on_menu_item(window, "在线播放", play_online);
    on_menu_item(window, "VIP播放", [](MainWindow*) { platform::message_box(search::texts::vip_only()); });
    on_menu_item(window, "复制链接", copy_link);
    on_menu_item(window, "迅雷下载", download);
}

}  // namespace app
