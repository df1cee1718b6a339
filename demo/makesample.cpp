// make-sample-game: writes the sample game folder and the editor's animation file.
//   make-sample-game GAME_FOLDER [ANIMATION_FILE]

#include "samplegame.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2 || args.size() > 3) {
    std::fprintf(stderr, "Usage: make-sample-game GAME_FOLDER [ANIMATION_FILE]\n");
    return 2;
  }
  if (!SampleGame::Write(args[1])) {
    std::fprintf(stderr, "Could not write the sample game into %s\n", qPrintable(args[1]));
    return 1;
  }
  if (args.size() == 3 && !SampleGame::WriteAnimation(args[2])) {
    std::fprintf(stderr, "Could not write %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}
