// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linefolder.h"

#include "devicedata/identitytext.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

const char *const LineFolder::ManifestName = "line.json";
const char *const LineFolder::FormatName = "korvel-line";

namespace {

const QString FormatKey = QStringLiteral("format");
const QString FormatVersionKey = QStringLiteral("formatVersion");
const QString RelaysKey = QStringLiteral("relays");
const QString SlaveIdKey = QStringLiteral("slaveId");
const QString FileKey = QStringLiteral("file");
const QString SerialNumberKey = QStringLiteral("serialNumber");

// A serial number fills two registers.
constexpr double LargestSerialNumber = 4294967295.0;

// A whole number within [minimum, maximum]; JSON numbers are doubles here.
std::optional<qint64> integerOf(const QJsonValue &value, double minimum, double maximum)
{
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || !std::isfinite(number) || std::trunc(number) != number
        || number < minimum || number > maximum)
        return std::nullopt;
    return qint64(number);
}

// A plain name of a file in the folder itself: no folder, no way out of it.
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QLatin1Char(':')) && !name.contains(QChar(0));
}

} // namespace

QString LineFolder::manifestPath() const
{
    return QDir(m_path).filePath(QLatin1String(ManifestName));
}

const LineRelay *LineFolder::relay(int slaveId) const
{
    const auto found = std::find_if(m_relays.cbegin(), m_relays.cend(),
        [slaveId](const LineRelay &relay) { return relay.slaveId == slaveId; });
    return found == m_relays.cend() ? nullptr : &*found;
}

QString LineFolder::filePath(const LineRelay &relay) const
{
    return QDir(m_path).filePath(relay.file);
}

void LineFolder::setRelay(const LineRelay &relay)
{
    const auto at = std::lower_bound(m_relays.begin(), m_relays.end(), relay.slaveId,
        [](const LineRelay &held, int slaveId) { return held.slaveId < slaveId; });
    if (at != m_relays.end() && at->slaveId == relay.slaveId)
        *at = relay;
    else
        m_relays.insert(at, relay);
}

QString LineFolder::backupFileName(int slaveId, qint64 serialNumber)
{
    return QStringLiteral("%1-%2.json")
        .arg(slaveId, 2, 10, QLatin1Char('0'))
        .arg(serialNumberText(serialNumber));
}

QByteArray LineFolder::manifestJson() const
{
    QJsonArray relays;
    for (const LineRelay &relay : m_relays) {
        QJsonObject entry { { SlaveIdKey, relay.slaveId }, { FileKey, relay.file } };
        if (relay.serialNumber)
            entry.insert(SerialNumberKey, double(*relay.serialNumber));
        relays.append(entry);
    }
    const QJsonObject root { { FormatKey, QLatin1String(FormatName) },
        { FormatVersionKey, FormatVersion }, { RelaysKey, relays } };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<QVector<LineRelay>> LineFolder::parseManifest(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = tr("The manifest is not valid JSON: %1 at character %2.")
                     .arg(parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    const std::optional<qint64> version
        = integerOf(root.value(FormatVersionKey), 1, std::numeric_limits<int>::max());
    if (!document.isObject() || root.value(FormatKey).toString() != QLatin1String(FormatName)
        || !version) {
        *error = tr("The file is not a line folder's manifest.");
        return std::nullopt;
    }
    if (*version > FormatVersion) {
        *error = tr("The manifest has format version %1, newer than this program reads (%2).")
                     .arg(*version)
                     .arg(FormatVersion);
        return std::nullopt;
    }
    if (!root.value(RelaysKey).isArray()) {
        *error = tr("The manifest has no list of relays.");
        return std::nullopt;
    }

    QStringList problems;
    QVector<LineRelay> relays;
    QSet<int> ids;
    QSet<QString> files;
    const QJsonArray entries = root.value(RelaysKey).toArray();
    for (int index = 0; index < entries.size(); ++index) {
        const QJsonObject entry = entries.at(index).toObject();
        const std::optional<qint64> slaveId = integerOf(entry.value(SlaveIdKey), 1, MaximumSlaveId);
        const QString file = entry.value(FileKey).toString();
        LineRelay relay;
        if (!slaveId) {
            problems.append(tr("Relay %1 of the list has no slave ID from 1 to %2.")
                                .arg(index + 1)
                                .arg(MaximumSlaveId));
        } else if (ids.contains(int(*slaveId))) {
            problems.append(tr("Slave ID %1 is listed more than once.").arg(*slaveId));
        } else {
            relay.slaveId = int(*slaveId);
            ids.insert(relay.slaveId);
        }
        if (!isPlainFileName(file)) {
            problems.append(
                tr("Relay %1 of the list names no file in the folder itself.").arg(index + 1));
        } else if (files.contains(file)) {
            problems.append(tr("The file \"%1\" is named for more than one relay.").arg(file));
        } else {
            relay.file = file;
            files.insert(file);
        }
        if (entry.contains(SerialNumberKey)) {
            relay.serialNumber = integerOf(entry.value(SerialNumberKey), 0, LargestSerialNumber);
            if (!relay.serialNumber)
                problems.append(
                    tr("Relay %1 of the list has a serial number that is no 32-bit number.")
                        .arg(index + 1));
        }
        relays.append(relay);
    }
    if (!problems.isEmpty()) {
        *error = problems.join(QLatin1Char(' '));
        return std::nullopt;
    }
    std::sort(relays.begin(), relays.end(),
        [](const LineRelay &a, const LineRelay &b) { return a.slaveId < b.slaveId; });
    return relays;
}

std::optional<LineFolder> LineFolder::open(const QString &path, QString *error)
{
    LineFolder folder(path);
    QFile manifest(folder.manifestPath());
    if (!manifest.open(QIODevice::ReadOnly)) {
        *error = tr("\"%1\" holds no line folder's manifest: %2")
                     .arg(QDir::toNativeSeparators(path), manifest.errorString());
        return std::nullopt;
    }
    if (manifest.size() > MaximumManifestSize) {
        *error = tr("The manifest is larger than 256 KB.");
        return std::nullopt;
    }
    // A file that grows while it is read is cut one byte past the limit.
    std::optional<QVector<LineRelay>> relays
        = parseManifest(manifest.read(MaximumManifestSize + 1), error);
    if (!relays)
        return std::nullopt;
    folder.m_relays = *relays;
    return folder;
}

std::optional<LineFolder> LineFolder::create(const QString &path, QString *error)
{
    const LineFolder folder(path);
    if (QFile::exists(folder.manifestPath())) {
        *error = tr("\"%1\" is a line folder already.").arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    if (!QDir().mkpath(path)) {
        *error = tr("The folder \"%1\" could not be made.").arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    if (!folder.save(error))
        return std::nullopt;
    return folder;
}

bool LineFolder::save(QString *error) const
{
    QSaveFile file(manifestPath());
    const QByteArray json = manifestJson();
    // A disk that fills up half-way through is seen only by flush().
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.flush()
        || !file.commit()) {
        *error = tr("The manifest could not be written to \"%1\": %2")
                     .arg(QDir::toNativeSeparators(manifestPath()), file.errorString());
        return false;
    }
    return true;
}
