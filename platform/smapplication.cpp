#include "smapplication.h"

#include "dialogs.h"
#include "rangeerror.h"

#include <exception>

SmApplication::SmApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool SmApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const ERangeError& error) {
    Dialogs().ShowException(error.Message());
  } catch (const std::exception& error) {
    Dialogs().ShowException(QString::fromLocal8Bit(error.what()));
  }
  return false;
}
