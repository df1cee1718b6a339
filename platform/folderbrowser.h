#pragma once

#include "dialogs.h"

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTimer;
class QTreeView;

// The folder browser: the request's title, a tree of the file system's folders, a status line
// and OK / Cancel. The request's callback preselects a folder, fills the status line and
// decides whether OK is enabled.
class FolderBrowser : public QDialog, public BrowserControl {
  Q_OBJECT
 public:
  explicit FolderBrowser(const BrowseRequest& request, QWidget* parent = nullptr);

  void SelectFolder(const QString& folder) override;
  void SetStatusText(const QString& text) override;
  void EnableOK(bool enabled) override;

  QString SelectedFolder() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SelectionChanged();
  void ScrollToSelected();

  BrowseRequest request_;
  QFileSystemModel* model_;
  QTreeView* tree_;
  QLabel* status_;
  QPushButton* ok_;
  QString selected_;  // the folder last selected for the user
  QTimer* followTimer_;
};
