#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

#include <memory>

class QLabel;
class QMovie;

// Plays an animated GIF: every frame in an endless loop, centred in the control at its own
// size, with its transparent parts showing whatever lies behind the control. It plays while
// the control is visible and rests while it is hidden.
class TAnimPicture : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimPicture(QWidget* parent = nullptr);
  ~TAnimPicture() override;

  // Gives false, and holds no picture, when the file is missing or is no readable GIF.
  bool LoadFromFile(const QString& path);
  bool HoldsPicture() const;

  QSize PictureSize() const;  // empty without a picture
  int FrameCount() const;     // 0 without a picture
  int CurrentFrame() const;   // -1 without a picture
  bool Playing() const;

 signals:
  void FrameShown(int frame);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Clear();
  void Play();
  void Restart();

  std::unique_ptr<QMovie> movie_;
  QImage frame_;
};

// The program's animation, as the splash and the About box show it: `sm.dat` from the
// program's folder plays in `anim`; `caption` is laid over `area` in black, as the backdrop
// of the animation, and says "Saltmarch 98" in white when there is no animation to play.
void ShowProgramAnimation(TAnimPicture* anim, QLabel* caption, const QWidget* area);

// The "Saltmarch 98" caption of the animation area (white Arial, 153 x 32) at `pos`.
QLabel* MakeAnimCaption(QWidget* parent, QPoint pos);
