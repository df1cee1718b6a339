#pragma once

#include "registry.h"

#include <QString>

// The four registry routines of the editor, all over the one shared registry accessor.

// The editor's own key below HKEY_CURRENT_USER, and the key of the hint switches. The leading
// backslash makes them absolute below the root.
inline const QString kOwnKey = QStringLiteral("\\SOFTWARE\\Pellworth Software\\Saltmarch98\\");
inline const QString kHintsKey =
    QStringLiteral("\\SOFTWARE\\Pellworth Software\\Saltmarch98\\Hints\\");
// The game's install record below HKEY_LOCAL_MACHINE.
inline const QString kGameKey = QStringLiteral("SOFTWARE\\Westwood\\Dune 2000");

// `def` when the key can't be opened or the value is not a string; an empty text when the key
// exists but the value does not. Never creates the key.
QString RegReadString(RegRoot root, const QString& key, const QString& name, const QString& def);
// Creates the key when needed. False when the key can't be opened or the write fails.
bool RegWriteString(RegRoot root, const QString& key, const QString& name, const QString& value);
// `def` when the key can't be opened, or the value is missing or not a 32-bit integer.
int RegReadInteger(RegRoot root, const QString& key, const QString& name, int def);
bool RegWriteInteger(RegRoot root, const QString& key, const QString& name, int value);
