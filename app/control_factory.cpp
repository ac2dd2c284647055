#include "app/control_factory.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/fonts.h"
#include "app/layout.h"
#include "app/widgets.h"
#include "player/browser_pane.h"

namespace app {

namespace {

QString picture_resource(const QString& name) { return QStringLiteral(":/pictures/%1.svg").arg(name); }

// The layout writes line breaks as CR LF; a label breaks its lines at the LF alone.
QString display_text(const char* text) {
    return QString::fromUtf8(text).replace(QStringLiteral("\r\n"), "\n");
}

// Masks a password with "*" instead of the style's own dot.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

void apply_look(QWidget* widget, const Look& look) {
    if (look.pixel_size > 0) widget->setFont(song_font(look.pixel_size, look.bold));
    if (look.colour >= 0) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(static_cast<QRgb>(look.colour)));
        widget->setPalette(palette);
    }
}

QWidget* make_tab_control(QWidget* parent) {
    auto* tabs = new QTabWidget(parent);
    tabs->setDocumentMode(true);
    tabs->tabBar()->hide();  // pages are chosen through the picture buttons only
    tabs->setStyleSheet(QStringLiteral("QTabWidget::pane { border: 0; }"));
    for (const char* name : page_names()) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromUtf8(name));
        page->setAutoFillBackground(true);
        tabs->addTab(page, QString::fromUtf8(name));
    }
    tabs->setCurrentIndex(0);
    return tabs;
}

QWidget* make_label(const ControlRow& row, QWidget* parent, bool transparent) {
    QLabel* label = transparent ? new PressLabel(parent) : new TextLabel(parent);
    // A plain label is opaque: the loading notice covers the result list.
    label->setAutoFillBackground(!transparent);
    const QString text = display_text(row.text);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    const bool several_lines = text.contains('\n') || row.height > 2 * 24;
    label->setWordWrap(several_lines);
    label->setAlignment(several_lines ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QWidget* make_combo_box(const ControlRow& row, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->addItems(QString::fromUtf8(row.extra).split('\n'));
    combo->setCurrentIndex(row.current);
    return combo;
}

QWidget* make_list_view(const ControlRow& row, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(false);
    list->header()->setMinimumSectionSize(8);  // the ID column is narrower than the default minimum
    const QStringList columns = QString::fromUtf8(row.extra).split('\n');
    QStringList headers;
    for (const QString& column : columns) headers << column.section(':', 0, -2);
    list->setHeaderLabels(headers);
    for (int i = 0; i < columns.size(); ++i) {
        const int width = columns[i].section(':', -1).toInt();
        if (width == 0) {
            list->setColumnHidden(i, true);  // holds the stored link, never shown
        } else {
            list->setColumnWidth(i, width);
        }
    }
    return list;
}

QWidget* make_picture_box(const ControlRow& row, QWidget* parent) {
    auto* box = new QWidget(parent);
    box->setAutoFillBackground(true);  // the account panel covers the login fields when shown
    if (*row.extra != '\0') {
        auto* picture = new AnimatedPicture(picture_resource(QString::fromUtf8(row.extra)), box);
        picture->setGeometry((row.width - 160) / 2, (row.height - 20) / 2, 160, 20);
    }
    return box;
}

QWidget* make_widget(const ControlRow& row, QWidget* parent) {
    switch (row.kind) {
        case Kind::tab_control:
            return make_tab_control(parent);
        case Kind::picture_button: {
            const QSize size(row.width, row.height);
            const qreal ratio = parent->devicePixelRatioF();
            const QString picture = QString::fromUtf8(row.extra);
            auto* button =
                new PictureButton(render_picture(picture_resource(picture), size, ratio),
                                  render_picture(picture_resource(picture + "_hot"), size, ratio), parent);
            button->setCheckable(true);
            return button;
        }
        case Kind::transparent_label:
            return make_label(row, parent, true);
        case Kind::label:
            return make_label(row, parent, false);
        case Kind::edit_box:
        case Kind::password_box: {
            auto* edit = new QLineEdit(QString::fromUtf8(row.text), parent);
            if (row.kind == Kind::password_box) {
                edit->setEchoMode(QLineEdit::Password);
                auto* style = new StarPasswordStyle;
                style->setParent(edit);
                edit->setStyle(style);
            }
            edit->setCursorPosition(0);
            return edit;
        }
        case Kind::button:
            return new QPushButton(QString::fromUtf8(row.text), parent);
        case Kind::picture_box:
            return make_picture_box(row, parent);
        case Kind::group_box:
            return new QGroupBox(parent);
        case Kind::combo_box:
            return make_combo_box(row, parent);
        case Kind::list_view:
            return make_list_view(row, parent);
        case Kind::browser_view:
            return new player::BrowserPane(parent);
    }
    return new QWidget(parent);
}

}  // namespace

QWidget* create_control(const ControlRow& row, QWidget* parent) {
    QWidget* widget = make_widget(row, parent);
    widget->setObjectName(QString::fromUtf8(row.name));
    widget->setGeometry(row.x, row.y, row.width, row.height);
    apply_look(widget, row.look);
    if (row.state & hand_cursor) widget->setCursor(Qt::PointingHandCursor);
    if (row.state & disabled) widget->setEnabled(false);
    if (row.state & hidden) widget->setVisible(false);
    return widget;
}

}  // namespace app
