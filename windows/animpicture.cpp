#include "animpicture.h"

#include "paths.h"

#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPalette>

#include <algorithm>

TAnimPicture::TAnimPicture(QWidget* parent) : QWidget(parent) {
  // Whatever lies behind shows through the picture's transparent parts and around it.
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
}

TAnimPicture::~TAnimPicture() = default;

bool TAnimPicture::LoadFromFile(const QString& path) {
  Clear();
  // The file's name says nothing about its kind (the program's own is "sm.dat"), so the
  // format is fixed, and the first frame must decode before the file counts as a picture.
  QImageReader probe(path, QByteArrayLiteral("gif"));
  const QImage first = probe.read();
  if (first.isNull()) return false;

  auto movie = std::make_unique<QMovie>(path, QByteArrayLiteral("gif"));
  if (!movie->isValid()) return false;
  movie->setCacheMode(QMovie::CacheNone);
  connect(movie.get(), &QMovie::frameChanged, this, [this](int frame) {
    frame_ = movie_->currentImage();
    update();
    emit FrameShown(frame);
  });
  // A GIF may ask to be played only so many times; this control always loops. Restarting
  // from inside the movie's own signal would re-enter it, so it waits for the event loop.
  connect(movie.get(), &QMovie::finished, this, &TAnimPicture::Restart, Qt::QueuedConnection);
  movie_ = std::move(movie);
  frame_ = first;
  if (isVisible()) Play();
  update();
  return true;
}

bool TAnimPicture::HoldsPicture() const {
  return movie_ != nullptr;
}

QSize TAnimPicture::PictureSize() const {
  return movie_ ? frame_.size() : QSize();
}

int TAnimPicture::FrameCount() const {
  return movie_ ? movie_->frameCount() : 0;
}

int TAnimPicture::CurrentFrame() const {
  if (!movie_) return -1;
  return std::max(movie_->currentFrameNumber(), 0);
}

bool TAnimPicture::Playing() const {
  return movie_ && movie_->state() == QMovie::Running;
}

void TAnimPicture::paintEvent(QPaintEvent*) {
  if (!movie_ || frame_.isNull()) return;
  QPainter painter(this);
  const QPoint topLeft((width() - frame_.width()) / 2, (height() - frame_.height()) / 2);
  painter.drawImage(topLeft, frame_);
}

void TAnimPicture::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Play();
}

void TAnimPicture::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (movie_ && movie_->state() == QMovie::Running) movie_->setPaused(true);
}

void TAnimPicture::Clear() {
  movie_.reset();
  frame_ = QImage();
  update();
}

void TAnimPicture::Play() {
  if (!movie_) return;
  if (movie_->state() == QMovie::Paused)
    movie_->setPaused(false);
  else if (movie_->state() == QMovie::NotRunning)
    movie_->start();
}

void TAnimPicture::Restart() {
  if (movie_ && isVisible() && movie_->state() == QMovie::NotRunning) movie_->start();
}

void ShowProgramAnimation(TAnimPicture* anim, QLabel* caption, const QWidget* area) {
  anim->LoadFromFile(ProgramFolder() + QStringLiteral("sm.dat"));
  caption->setGeometry(area->geometry());
  QPalette palette = caption->palette();
  palette.setColor(QPalette::Window, Qt::black);
  caption->setPalette(palette);
  caption->setAutoFillBackground(true);
  // Behind a transparent animation the black label is its backdrop; without one it names
  // the program in the animation's place.
  caption->setText(anim->HoldsPicture() ? QString() : QStringLiteral("Saltmarch 98"));
}

QLabel* MakeAnimCaption(QWidget* parent, QPoint pos) {
  auto* caption = new QLabel(QStringLiteral("Saltmarch 98"), parent);
  caption->setObjectName(QStringLiteral("L_AnimCaption"));
  caption->setGeometry(QRect(pos, QSize(153, 32)));
  caption->setAlignment(Qt::AlignCenter);
  QFont arial(QStringLiteral("Arial"), 14);
  arial.setBold(true);
  caption->setFont(arial);
  QPalette white = caption->palette();
  white.setColor(QPalette::WindowText, Qt::white);
  caption->setPalette(white);
  return caption;
}
