#include "smapplication.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings written by a test stay in a folder of its own, never in the user's.
  QTemporaryDir registry;
  qputenv("SALTMARCH_REGISTRY_DIR", QDir::toNativeSeparators(registry.path()).toLocal8Bit());
  // So are backups made in the default backup folder, which lies in the user's data folder.
  QTemporaryDir userData;
  qputenv("XDG_DATA_HOME", QDir::toNativeSeparators(userData.path()).toLocal8Bit());
  SmApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
