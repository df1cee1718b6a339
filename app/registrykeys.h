#pragma once

#include "registry.h"
#include "registrynames.h"

#include <QString>

// The four registry routines of the editor, all over the one shared registry accessor. The
// names they read and write are in registrynames.h.

// `def` when the key can't be opened or the value is not a string; an empty text when the key
// exists but the value does not. Never creates the key.
QString RegReadString(RegRoot root, const QString& key, const QString& name, const QString& def);
// Creates the key when needed. False when the key can't be opened or the write fails.
bool RegWriteString(RegRoot root, const QString& key, const QString& name, const QString& value);
// `def` when the key can't be opened, or the value is missing or not a 32-bit integer.
int RegReadInteger(RegRoot root, const QString& key, const QString& name, int def);
bool RegWriteInteger(RegRoot root, const QString& key, const QString& name, int value);
