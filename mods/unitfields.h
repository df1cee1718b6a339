#pragma once

#include "unittemplate.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The decoded fields of a unit record by name, for reading and changing them from the
// command line with the ranges the editor's controls allow (fieldranges.h).
namespace UnitFields {

// Every field name, in record order.
const QStringList& Names();

// The record's fields as JSON values: numbers, booleans, null for an empty Byte20Set and an
// array of house names for Owners.
QJsonObject ToJson(const TUnitTemplate& unit);

// The field's value as text, as `show` prints it.
QString Text(const TUnitTemplate& unit, const QString& field);

// Sets `field` of a unit of `kind` (ukInfantry or ukVehicle) from `value`, refusing values
// outside the field's range for that kind and owners the game file cannot store. Gives an error
// message, or nothing on success; on error the record is unchanged.
std::optional<QString> Set(TUnitTemplate& unit, std::uint8_t kind, const QString& field,
                           const QString& value);

// The field's value as a number: a flag is 0 or 1, a Byte20Set with no member -1, Owners its
// house bits. Nothing for a name that is no field.
std::optional<qint64> Value(const TUnitTemplate& unit, const QString& field);

// Sets `field` to `value`, which the caller has checked against the field's range. False for a
// name that is no field.
bool SetValue(TUnitTemplate& unit, const QString& field, qint64 value);

// House names as Owners lists them: "Atreides", "Ordos", "Harkonnen", the houses the game file
// has a bit for.
QStringList HouseNames(std::uint8_t owners);

}  // namespace UnitFields
