#pragma once

#include "dialogs.h"

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

// The folder browser: a tree of the file system's folders with the chosen folder's path in a
// status line. OK is enabled only while the request's rule accepts the selection.
class FolderBrowser : public QDialog {
  Q_OBJECT
 public:
  explicit FolderBrowser(const BrowseRequest& request, QWidget* parent = nullptr);

  // Selects a folder as the user would (also used to preselect the start folder).
  void Select(const QString& folder);
  QString SelectedFolder() const;

 private:
  void SelectionChanged();

  BrowseRequest request_;
  QFileSystemModel* model_;
  QTreeView* tree_;
  QLabel* status_;
  QPushButton* ok_;
};
