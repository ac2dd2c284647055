#pragma once
// The few widgets of our own that the window's controls need beyond Qt's.

#include <QAbstractButton>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

class QSvgRenderer;

namespace app {

// A button drawn as one of two pictures: the highlighted one while the pointer is over it,
// while it is pressed, and while it is checked (the navigation button of the page shown).
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(const QPixmap& normal, const QPixmap& highlighted, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QPixmap normal_;
    QPixmap highlighted_;
};

// A label whose lines, when it holds several, follow each other at the pace of the Song
// typeface (two pixels more than the font's size), as the layout's heights expect; a CJK
// font's own, looser line spacing would cut off the last lines.
class TextLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that acts the moment the left button goes down on it. Presses of the other buttons,
// and presses on a label nobody listens to, pass on to the window (which then moves).
class PressLabel : public TextLabel {
    Q_OBJECT
  public:
    using TextLabel::TextLabel;

  signals:
    void pressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// An animated picture that runs only while it is shown, so a hidden loading indicator costs
// neither timer wake-ups nor memory.
class AnimatedPicture : public QWidget {
    Q_OBJECT
  public:
    AnimatedPicture(const QString& resource, QWidget* parent);
    ~AnimatedPicture() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QString resource_;
    QSvgRenderer* renderer_ = nullptr;
};

// The program's icon in the sizes a desktop asks for; it serves the window and the tray.
QIcon program_icon();

// The picture `resource` (an SVG in the program's resources) drawn at `size`.
QPixmap render_picture(const QString& resource, QSize size, qreal device_pixel_ratio = 1.0);

}  // namespace app
