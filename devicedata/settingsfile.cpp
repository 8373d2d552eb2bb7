// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfile.h"

#include "devicedata/deviceinfodata.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>
#include <QSet>

#include <cmath>

const char *const SettingsFile::FormatName = "korvel-relay-settings";

namespace {

const QString FormatKey = QStringLiteral("format");
const QString FormatVersionKey = QStringLiteral("formatVersion");
const QString SavedAtKey = QStringLiteral("savedAt");
const QString ProgramKey = QStringLiteral("program");
const QString SavedByKey = QStringLiteral("savedBy");
const QString FingerprintKey = QStringLiteral("fingerprint");
const QString DeviceKey = QStringLiteral("device");
const QString FieldsKey = QStringLiteral("fields");
const QString NameKey = QStringLiteral("name");
const QString RegisterKey = QStringLiteral("register");
const QString RawKey = QStringLiteral("raw");
const QString ShownKey = QStringLiteral("shown");

const QString DeviceTypeCodeKey = QStringLiteral("deviceTypeCode");
const QString SerialNumberKey = QStringLiteral("serialNumber");
const QString SoftwareVersionKey = QStringLiteral("softwareVersion");
const QString ModulesKey = QStringLiteral("modules");
const QString SlaveIdKey = QStringLiteral("slaveId");

// Doubles hold every integer up to 2^53 exactly; JSON numbers are doubles here.
constexpr double LargestExactInteger = 9007199254740992.0;

bool integerOf(const QJsonValue &value, qint64 *integer)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number
        || std::fabs(number) > LargestExactInteger)
        return false;
    *integer = qint64(number);
    return true;
}

QString decodedKey(const QByteArray &quoted)
{
    if (!quoted.contains('\\'))
        return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
    const QByteArray wrapped = '[' + quoted + ']';
    return QJsonDocument::fromJson(wrapped).array().at(0).toString();
}

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// QJsonDocument keeps one of two equal keys of an object and says nothing, so
// the text itself is searched for them. `json` is known to be valid JSON.
QStringList duplicatedKeys(const QByteArray &json)
{
    QStringList duplicated;
    QVector<QSet<QString>> openKeys; // one set per open object or array
    for (int i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '{' || c == '[') {
            openKeys.append(QSet<QString>());
        } else if (c == '}' || c == ']') {
            openKeys.removeLast();
        } else if (c == '"') {
            const int start = i;
            for (++i; json.at(i) != '"'; ++i) {
                if (json.at(i) == '\\')
                    ++i;
            }
            int next = i + 1;
            while (next < json.size() && isJsonSpace(json.at(next)))
                ++next;
            if (next == json.size() || json.at(next) != ':' || openKeys.isEmpty())
                continue;
            const QString key = decodedKey(json.mid(start, i - start + 1));
            if (openKeys.last().contains(key)) {
                if (!duplicated.contains(key))
                    duplicated.append(key);
            } else {
                openKeys.last().insert(key);
            }
        }
    }
    return duplicated;
}

QJsonObject identityObject(const RelayIdentity &identity)
{
    return { { DeviceTypeCodeKey, double(identity.deviceTypeCode) },
        { SerialNumberKey, double(identity.serialNumber) },
        { SoftwareVersionKey, double(identity.softwareVersion) },
        { ModulesKey, double(identity.modules) }, { SlaveIdKey, identity.slaveId } };
}

// A field's limits as the panels show them, for a message.
QString rangeText(const FieldDescription &field, qint64 multiplier)
{
    const ValueRange range
        = field.scaledByCurrentRange ? field.range.scaled(double(multiplier)) : field.range;
    const QLocale locale;
    return SettingsFile::tr("%1 to %2%3")
        .arg(locale.toString(range.minimum, 'f', range.decimals),
            locale.toString(range.maximum, 'f', range.decimals), field.unit.translated());
}

} // namespace

QByteArray SettingsFile::toJson() const
{
    const qint64 multiplier = shownRangeMultiplier(relay.values);
    QJsonArray fields;
    for (const SettingsField &field : settingsFields()) {
        const FieldDescription &description = field.description;
        const qint64 raw = relay.values.value(description.address);
        fields.append(QJsonObject { { NameKey, QLatin1String(description.name) },
            { RegisterKey, description.address }, { RawKey, double(raw) },
            { ShownKey, description.shownText(raw, multiplier, QLocale::c()) } });
    }
    // QJsonObject keeps its keys sorted: the order is the same in every file.
    QJsonObject root { { FormatKey, QLatin1String(FormatName) },
        { FormatVersionKey, FormatVersion }, { SavedAtKey, savedAt.toUTC().toString(Qt::ISODate) },
        { SavedByKey, savedBy }, { ProgramKey, programVersion },
        { DeviceKey, identityObject(relay.identity) }, { FieldsKey, fields } };
    // Of the values written, so that an edit of the file afterwards shows.
    if (const std::optional<quint32> ownFingerprint = fingerprint())
        root.insert(FingerprintKey, fingerprintText(*ownFingerprint));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

SettingsFile SettingsFile::fromJson(const QByteArray &json, QStringList *problems)
{
    problems->clear();
    if (json.size() > MaximumSize) {
        problems->append(tr("The file is larger than 1 MB."));
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        problems->append(tr("The file is not valid JSON: %1 at character %2.")
                             .arg(error.errorString())
                             .arg(error.offset));
        return {};
    }
    const QJsonObject root = document.object();
    qint64 version = 0;
    if (!document.isObject() || root.value(FormatKey).toString() != QLatin1String(FormatName)
        || !integerOf(root.value(FormatVersionKey), &version) || version < 1) {
        problems->append(tr("The file is not a relay settings file."));
        return {};
    }
    if (version > FormatVersion) {
        problems->append(tr("The file has format version %1, newer than this program reads (%2).")
                             .arg(version)
                             .arg(FormatVersion));
        return {};
    }
    const QStringList duplicated = duplicatedKeys(json);
    for (const QString &key : duplicated)
        problems->append(tr("The key \"%1\" appears more than once in one object.").arg(key));

    SettingsFile file;
    file.savedAt = QDateTime::fromString(root.value(SavedAtKey).toString(), Qt::ISODate);
    file.savedBy = root.value(SavedByKey).toString();
    file.programVersion = root.value(ProgramKey).toString();
    // Checked against the values once they are in: a mismatch is told, not refused.
    file.savedFingerprint = root.value(FingerprintKey).toString().trimmed();

    const QJsonObject device = root.value(DeviceKey).toObject();
    RelayIdentity &identity = file.relay.identity;
    qint64 slaveId = 0;
    const std::pair<const QString *, qint64 *> identityFields[]
        = { { &DeviceTypeCodeKey, &identity.deviceTypeCode },
              { &SerialNumberKey, &identity.serialNumber },
              { &SoftwareVersionKey, &identity.softwareVersion },
              { &ModulesKey, &identity.modules }, { &SlaveIdKey, &slaveId } };
    for (const auto &field : identityFields) {
        if (!integerOf(device.value(*field.first), field.second))
            problems->append(tr("The relay identity has no integer \"%1\".").arg(*field.first));
    }
    identity.slaveId = int(qBound(qint64(0), slaveId, qint64(255)));

    if (!root.value(FieldsKey).isArray())
        problems->append(tr("The file has no list of fields."));
    const QJsonArray fields = root.value(FieldsKey).toArray();
    // The pick-up currents' limits follow the file's own current range.
    SettingsValues listed;
    for (const QJsonValue &entry : fields) {
        const SettingsField *field = settingsFieldNamed(entry.toObject().value(NameKey).toString());
        qint64 raw = 0;
        if (field && integerOf(entry.toObject().value(RawKey), &raw))
            listed.insert(field->description.address, raw);
    }
    const qint64 multiplier = shownRangeMultiplier(listed);
    const FieldContext context { validValue(file.relay.identity.modules),
        [&listed](quint16 address) {
            const auto value = listed.constFind(address);
            return value == listed.cend() ? DataValue() : validValue(*value);
        } };

    QSet<QString> seen;
    for (int i = 0; i < fields.size(); ++i) {
        const QJsonObject entry = fields.at(i).toObject();
        const QString name = entry.value(NameKey).toString();
        if (name.isEmpty()) {
            problems->append(tr("Entry %1 of the field list has no name.").arg(i + 1));
            continue;
        }
        const SettingsField *field = settingsFieldNamed(name);
        if (!field) {
            problems->append(tr("Field \"%1\": no such field.").arg(name));
            continue;
        }
        if (seen.contains(name)) {
            problems->append(tr("Field \"%1\": listed more than once.").arg(name));
            continue;
        }
        seen.insert(name);
        const FieldDescription &description = field->description;
        qint64 address = 0;
        if (!integerOf(entry.value(RegisterKey), &address) || address != description.address)
            problems->append(
                tr("Field \"%1\": the register is not %2.").arg(name).arg(description.address));
        qint64 raw = 0;
        if (!integerOf(entry.value(RawKey), &raw)) {
            problems->append(tr("Field \"%1\": the value is not an integer.").arg(name));
        } else if (!description.acceptsRaw(raw) && !description.isInUse(context)) {
            file.relay.values.insert(description.address, raw);
            file.unusedOutOfRange.insert(description.address);
        } else if (!description.acceptsRaw(raw)) {
            problems->append(description.kind == FieldDescription::Code
                    ? tr("Field \"%1\": %2 is not one of its codes.").arg(name).arg(raw)
                    : tr("Field \"%1\": %2 is outside its range, %3.")
                          .arg(name, description.shownText(raw, multiplier),
                              rangeText(description, multiplier)));
        } else {
            file.relay.values.insert(description.address, raw);
        }
    }
    for (const SettingsField &field : settingsFields()) {
        const QString name = QLatin1String(field.description.name);
        if (!seen.contains(name))
            problems->append(tr("Field \"%1\": missing.").arg(name));
    }
    return problems->isEmpty() ? file : SettingsFile();
}

SettingsFile SettingsFile::prepared(qint64 modules, qint64 currentRange)
{
    SettingsFile file;
    // Settings prepared without a relay are for a relay of the type whose fields we know.
    file.relay.identity.deviceTypeCode = OwnDeviceTypeCode;
    file.relay.identity.modules = modules;
    for (const SettingsField &field : settingsFields()) {
        const FieldDescription &description = field.description;
        const qint64 lowest = description.kind == FieldDescription::Code
            ? description.codes.codes().value(0)
            : std::llround(description.range.minimum / description.range.step);
        file.relay.values.insert(description.address, lowest);
    }
    file.relay.values.insert(
        settingsFieldNamed(QStringLiteral("currentRange"))->description.address, currentRange);
    return file;
}

std::optional<quint32> SettingsFile::fingerprint() const
{
    return settingsFingerprint(relay.values);
}

bool SettingsFile::isAlteredSinceSaved() const
{
    if (savedFingerprint.isEmpty())
        return false;
    const std::optional<quint32> own = fingerprint();
    return !own || savedFingerprint.compare(fingerprintText(*own), Qt::CaseInsensitive) != 0;
}

QString SettingsFile::alterationWarning() const
{
    if (!isAlteredSinceSaved())
        return {};
    const std::optional<quint32> own = fingerprint();
    return tr("The file's values do not match the fingerprint it was saved with (%1, the values "
              "give %2): it was changed after it was saved.")
        .arg(savedFingerprint, own ? fingerprintText(*own) : QStringLiteral("-"));
}

void SettingsFile::stamp()
{
    // To the second, as the file keeps it.
    savedAt = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    // USER on Linux, USERNAME on Windows.
    savedBy = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    programVersion = QStringLiteral("%1 %2").arg(
        QCoreApplication::applicationName(), QCoreApplication::applicationVersion());
}

SettingsFile SettingsFile::read(const QString &path, QStringList *problems)
{
    problems->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems->append(tr("Could not open the file: %1.").arg(file.errorString()));
        return {};
    }
    if (file.size() > MaximumSize) {
        problems->append(tr("The file is larger than 1 MB."));
        return {};
    }
    // A file that grows while it is read is cut one byte past the limit.
    return fromJson(file.read(MaximumSize + 1), problems);
}

bool SettingsFile::write(const QString &path, QString *error) const
{
    QSaveFile file(path);
    const QByteArray json = toJson();
    // A disk that fills up half-way through is seen only by flush(): commit()
    // would rename the truncated file into place and report success.
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.flush()
        || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
