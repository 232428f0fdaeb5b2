#include "corelib/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <cstdlib>

namespace corelib {

namespace {

QString envOr(const char* name, const QString& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? QString::fromLocal8Bit(v) : fallback;
}

// Splits a backslash path into its components, dropping empty ones ("Software\\X\\" = two).
QStringList components(const std::string& path) {
    return QString::fromStdString(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool validName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Finds `want` among `names` without regard to case; empty when absent.
QString findNoCase(const QStringList& names, const QString& want) {
    for (const QString& n : names)
        if (n.compare(want, Qt::CaseInsensitive) == 0) return n;
    return {};
}

// Resolves a key path to the group spelling stored in the file. With `create`, components
// that do not exist yet keep the spelling asked for; without it, a missing component fails.
std::optional<QString> resolve(QSettings& s, const QStringList& parts, bool create) {
    QString group;
    bool exists = true;
    for (const QString& part : parts) {
        if (!validName(part)) return std::nullopt;
        QString actual;
        if (exists) {
            s.beginGroup(group);
            actual = findNoCase(s.childGroups(), part);
            s.endGroup();
        }
        if (actual.isEmpty()) {
            if (!create) return std::nullopt;
            exists = false;
            actual = part;
        }
        group = group.isEmpty() ? actual : group + QLatin1Char('/') + actual;
    }
    return group;
}

}  // namespace

std::string Registry::fileFor(RegistryRoot root) {
    if (root == HKEY_LOCAL_MACHINE)
        return envOr("BANKREC_HKLM", QStringLiteral("/etc/xdg/bankrec/HKEY_LOCAL_MACHINE.ini"))
            .toStdString();
    const QString config = envOr("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
    return envOr("BANKREC_HKCU", config + QStringLiteral("/bankrec/HKEY_CURRENT_USER.ini"))
        .toStdString();
}

std::string Registry::keyPath() const {
    std::string p = keyPath_;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

void Registry::setRoot(RegistryRoot root) {
    root_ = root;
    close();
}

bool Registry::fail(int32_t code, const std::string& text) {
    errorCode_ = code;
    if (!text.empty()) {
        errorText_ = text;
    } else {
        switch (code) {
            case RegistryNotFound:
                errorText_ = "The system cannot find the file specified.";
                break;
            case RegistryAccessDenied:
                errorText_ = "Access is denied.";
                break;
            case RegistryInvalidData:
                errorText_ = "The data is invalid.";
                break;
            case RegistryNoKey:
                errorText_ = "The configuration registry key is invalid.";
                break;
            default:
                errorText_ = "The specified path is invalid.";
                break;
        }
    }
    return false;
}

void Registry::succeed() {
    errorCode_ = RegistryOk;
    errorText_.clear();
}

bool Registry::openKey(const std::string& path) {
    close();
    const QStringList parts = components(path);
    if (parts.isEmpty()) return fail(RegistryBadName);
    QSettings s(QString::fromStdString(fileFor(root_)), QSettings::IniFormat);
    if (s.status() == QSettings::FormatError) return fail(RegistryInvalidData);
    auto group = resolve(s, parts, false);
    if (!group) return fail(RegistryNotFound);
    keyPath_ = group->toStdString();
    succeed();
    return true;
}

bool Registry::createKey(const std::string& path) {
    close();
    const QStringList parts = components(path);
    if (parts.isEmpty()) return fail(RegistryBadName);
    QSettings s(QString::fromStdString(fileFor(root_)), QSettings::IniFormat);
    if (s.status() == QSettings::FormatError) return fail(RegistryInvalidData);
    auto group = resolve(s, parts, true);
    if (!group) return fail(RegistryBadName);
    keyPath_ = group->toStdString();
    succeed();
    return true;
}

std::optional<std::string> Registry::readValue(const std::string& name, const std::string& subKey) {
    if (!isOpen()) {
        fail(RegistryNoKey);
        return std::nullopt;
    }
    QSettings s(QString::fromStdString(fileFor(root_)), QSettings::IniFormat);
    QString group = QString::fromStdString(keyPath_);
    if (!subKey.empty()) {
        auto sub = resolve(
            s, QString::fromStdString(keyPath_).split(QLatin1Char('/')) + components(subKey),
            false);
        if (!sub) {
            fail(RegistryNotFound);
            return std::nullopt;
        }
        group = *sub;
    }
    s.beginGroup(group);
    const QString actual = findNoCase(s.childKeys(), QString::fromStdString(name));
    if (actual.isEmpty()) {
        fail(RegistryNotFound);
        return std::nullopt;
    }
    const QVariant v = s.value(actual);
    if (v.metaType().id() == QMetaType::QString) {
        succeed();
        return v.toString().toStdString();
    }
    if (v.metaType().id() == QMetaType::QStringList) {
        // An unquoted comma in a hand-edited file splits the text; join it back.
        succeed();
        return v.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    fail(RegistryInvalidData, "Can't handle data type");
    return std::nullopt;
}

bool Registry::writeValue(const std::string& name, const std::string& value,
                          const std::string& subKey) {
    if (!isOpen()) return fail(RegistryNoKey);
    const QString qname = QString::fromStdString(name);
    if (!validName(qname)) return fail(RegistryBadName);
    const QString file = QString::fromStdString(fileFor(root_));
    QSettings s(file, QSettings::IniFormat);
    QString group = QString::fromStdString(keyPath_);
    if (!subKey.empty()) {
        auto sub = resolve(s, group.split(QLatin1Char('/')) + components(subKey), true);
        if (!sub) return fail(RegistryBadName);
        group = *sub;
    }
    s.beginGroup(group);
    QString actual = findNoCase(s.childKeys(), qname);
    if (actual.isEmpty()) actual = qname;
    QDir().mkpath(QFileInfo(file).absolutePath());
    s.setValue(actual, QString::fromStdString(value));
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError) return fail(RegistryAccessDenied);
    succeed();
    return true;
}

bool Registry::deleteValue(const std::string& name, const std::string& subKey) {
    if (!isOpen()) return fail(RegistryNoKey);
    QSettings s(QString::fromStdString(fileFor(root_)), QSettings::IniFormat);
    QString group = QString::fromStdString(keyPath_);
    if (!subKey.empty()) {
        auto sub = resolve(s, group.split(QLatin1Char('/')) + components(subKey), false);
        if (!sub) return fail(RegistryNotFound);
        group = *sub;
    }
    s.beginGroup(group);
    const QString actual = findNoCase(s.childKeys(), QString::fromStdString(name));
    if (actual.isEmpty()) return fail(RegistryNotFound);
    s.remove(actual);
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError) return fail(RegistryAccessDenied);
    succeed();
    return true;
}

std::vector<std::string> Registry::childNames(bool subKeys) {
    std::vector<std::string> out;
    if (!isOpen()) {
        fail(RegistryNoKey);
        return out;
    }
    QSettings s(QString::fromStdString(fileFor(root_)), QSettings::IniFormat);
    s.beginGroup(QString::fromStdString(keyPath_));
    for (const QString& n : subKeys ? s.childGroups() : s.childKeys())
        out.push_back(n.toStdString());
    succeed();
    return out;
}

std::vector<std::string> Registry::valueNames() {
    return childNames(false);
}

std::vector<std::string> Registry::subKeyNames() {
    return childNames(true);
}

}  // namespace corelib
