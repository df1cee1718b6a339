#pragma once

#include "modtext.h"

#include <QString>

#include <optional>

// The units of a game file read straight from its bytes, without the store and without a word
// to the user: the backup, read to show what each value was before any change. Nothing when the
// file is missing, unreadable or no templates.bin.
std::optional<UnitRecords> ReadOriginalRecords(const QString& file);
