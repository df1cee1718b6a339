#include "folderbrowser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

FolderBrowser::FolderBrowser(const BrowseRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
  setObjectName(QStringLiteral("FolderBrowser"));
  setWindowTitle(QStringLiteral("Browse for Folder"));
  resize(360, 420);

  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(request.title, this);
  title->setObjectName(QStringLiteral("Title"));
  title->setWordWrap(true);
  layout->addWidget(title);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());
  tree_ = new QTreeView(this);
  tree_->setObjectName(QStringLiteral("Folders"));
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  layout->addWidget(tree_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName(QStringLiteral("OK"));
  ok_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &FolderBrowser::SelectionChanged);
  // The model reads and sorts folders in the background: as the folders above the selected
  // one fill in, its row moves down, so the tree follows it once each change has settled.
  followTimer_ = new QTimer(this);
  followTimer_->setSingleShot(true);
  followTimer_->setInterval(0);
  connect(followTimer_, &QTimer::timeout, this, &FolderBrowser::ScrollToSelected);
  const auto follow = [this] { followTimer_->start(); };
  connect(model_, &QFileSystemModel::directoryLoaded, this, follow);
  connect(model_, &QFileSystemModel::rowsInserted, this, follow);
  connect(model_, &QFileSystemModel::layoutChanged, this, follow);

  if (request_.callback) request_.callback(*this, BrowseEvent::Initialized, QString());
}

void FolderBrowser::SelectFolder(const QString& folder) {
  const QModelIndex index = model_->index(folder);
  if (!index.isValid()) return;
  selected_ = model_->filePath(index);
  tree_->setCurrentIndex(index);
  ScrollToSelected();
}

void FolderBrowser::ScrollToSelected() {
  const QModelIndex index = model_->index(selected_);
  // Only while the folder chosen for the user is still the current one.
  if (index.isValid() && index == tree_->currentIndex()) {
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  }
}

void FolderBrowser::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  followTimer_->start();  // the tree has its size only now
}

void FolderBrowser::SetStatusText(const QString& text) {
  status_->setText(text);
}

void FolderBrowser::EnableOK(bool enabled) {
  ok_->setEnabled(enabled);
}

QString FolderBrowser::SelectedFolder() const {
  const QModelIndex index = tree_->currentIndex();
  return index.isValid() ? QDir::toNativeSeparators(model_->filePath(index)) : QString();
}

void FolderBrowser::SelectionChanged() {
  if (request_.callback) {
    request_.callback(*this, BrowseEvent::SelectionChanged, SelectedFolder());
  }
}
