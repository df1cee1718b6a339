#include "smapplication.h"

#include "appicon.h"
#include "dialogs.h"

#include <QFont>
#include "rangeerror.h"

#include <exception>

SmApplication::SmApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The windows are laid out, pixel by pixel, for a small 8-point interface font.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  setWindowIcon(AppIcon());
}

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
