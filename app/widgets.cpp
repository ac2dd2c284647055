#include "app/widgets.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextLayout>

namespace app {

QPixmap render_picture(const QString& resource, QSize size, qreal device_pixel_ratio) {
    QPixmap pixmap(size * device_pixel_ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(device_pixel_ratio);
    return pixmap;
}

QIcon program_icon() {
    static const QIcon* icon = [] {
        auto* made = new QIcon;
        for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
            made->addPixmap(render_picture(QStringLiteral(":/pictures/icon.svg"), QSize(size, size)));
        }
        return made;
    }();
    return *icon;
}

PictureButton::PictureButton(const QPixmap& normal, const QPixmap& highlighted, QWidget* parent)
    : QAbstractButton(parent), normal_(normal), highlighted_(highlighted) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

QSize PictureButton::sizeHint() const { return normal_.deviceIndependentSize().toSize(); }

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool lit = isDown() || isChecked() || underMouse();
    painter.drawPixmap(rect(), lit ? highlighted_ : normal_);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

void TextLabel::paintEvent(QPaintEvent* event) {
    if (!wordWrap()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect area = contentsRect();
    const int step = font().pixelSize() > 0 ? font().pixelSize() + 2 : fontMetrics().height();
    int y = 0;
    for (const QString& paragraph : text().split('\n')) {
        QTextLayout layout(paragraph, font(), this);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            line.setPosition(QPointF(0, y));
            y += step;
        }
        layout.endLayout();
        layout.draw(&painter, area.topLeft());
    }
}

void PressLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        isSignalConnected(QMetaMethod::fromSignal(&PressLabel::pressed))) {
        event->accept();
        emit pressed();
        return;
    }
    TextLabel::mousePressEvent(event);
}

AnimatedPicture::AnimatedPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), resource_(resource) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

AnimatedPicture::~AnimatedPicture() = default;

void AnimatedPicture::paintEvent(QPaintEvent*) {
    if (renderer_ == nullptr) return;
    QPainter painter(this);
    renderer_->render(&painter, QRectF(rect()));
}

void AnimatedPicture::showEvent(QShowEvent* event) {
    if (renderer_ == nullptr) {
        renderer_ = new QSvgRenderer(resource_, this);  // runs its own frame timer
        connect(renderer_, &QSvgRenderer::repaintNeeded, this, qOverload<>(&QWidget::update));
    }
    QWidget::showEvent(event);
}

void AnimatedPicture::hideEvent(QHideEvent* event) {
    // Drop the picture and its timer: the indicator is shown only while a page loads.
    delete renderer_;
    renderer_ = nullptr;
    QWidget::hideEvent(event);
}

}  // namespace app
