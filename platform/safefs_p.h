#pragma once

#include <QString>
#include <QStringList>

// The path forming that both platforms' folder walks share.
namespace SafeFs {

// The path of `name` in `folder`; a drive's or the system's root ends in the separator already.
QString InFolder(const QString& folder, const QString& name);

// What follows `folder` in `path`, which lies inside it.
QString Below(const QString& path, const QString& folder);

// The deepest trusted folder that holds `path` (or is it); empty when there is none.
QString AnchorOf(const QString& path, const QStringList& trusted);

}  // namespace SafeFs
