#pragma once

#include <QApplication>

// The application object of the windowed programs. An error that nothing caught while an
// event was handled (a range error raised by a table lookup) is shown in a message box by the
// dialog service, and the program goes on with the next event.
class SmApplication : public QApplication {
  Q_OBJECT
 public:
  SmApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
