#include "clinicdb/conninfo.h"

#include "common/text1251.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace clinicdb {

namespace {

using Pairs = QList<std::pair<QString, QString>>;

Error bad(const QString& why) {
    return {Fault::Setup, QStringLiteral("Неверная строка подключения к базе данных: %1").arg(why)};
}

// A value: in single quotes with "\" escaping the next character, or up to the next blank.
bool takeValue(QStringView s, qsizetype& i, QString* value) {
    const bool quoted = i < s.size() && s[i] == u'\'';
    if (quoted)
        ++i;
    while (i < s.size()) {
        if (quoted ? s[i] == u'\'' : s[i].isSpace())
            break;
        if (s[i] == u'\\' && i + 1 < s.size())
            ++i;
        *value += s[i++];
    }
    if (!quoted)
        return true;
    if (i == s.size())
        return false;
    ++i;
    return true;
}

// "key = value key2='two words'", the libpq grammar.
Error keywordPairs(QStringView s, Pairs* pairs) {
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < s.size() && s[i].isSpace())
            ++i;
    };
    for (skipBlanks(); i < s.size(); skipBlanks()) {
        const qsizetype start = i;
        while (i < s.size() && !s[i].isSpace() && s[i] != u'=')
            ++i;
        const QString key = s.mid(start, i - start).toString();
        skipBlanks();
        if (i == s.size() || s[i] != u'=')
            return bad(QStringLiteral("после \"%1\" нет \"=\"").arg(key));
        ++i;
        skipBlanks();
        QString value;
        if (!takeValue(s, i, &value))
            return bad(QStringLiteral("кавычка после \"%1=\" не закрыта").arg(key));
        pairs->append({key, value});
    }
    return {};
}

Error uriPairs(const QString& s, Pairs* pairs) {
    const QUrl url(s, QUrl::StrictMode);
    if (!url.isValid())
        return bad(url.errorString());
    const auto add = [&](const QString& key, const QString& value) {
        if (!value.isEmpty())
            pairs->append({key, value});
    };
    add(QStringLiteral("host"), url.host());
    add(QStringLiteral("port"), url.port() < 0 ? QString() : QString::number(url.port()));
    add(QStringLiteral("user"), url.userName(QUrl::FullyDecoded));
    add(QStringLiteral("password"), url.password(QUrl::FullyDecoded));
    add(QStringLiteral("dbname"), url.path(QUrl::FullyDecoded).mid(1));
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        pairs->append({key, value});
    return {};
}

} // namespace

QString configFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/taven/database.conf");
}

Error chooseConnection(const QString& option, const QString& environment, const QString& configPath,
                       ConnectionChoice* chosen) {
    *chosen = {};
    if (!option.trimmed().isEmpty()) {
        *chosen = {option.trimmed(), QStringLiteral("--database")};
        return {};
    }
    if (!environment.trimmed().isEmpty()) {
        *chosen = {environment.trimmed(), kEnvironmentVariable};
        return {};
    }
    QString why;
    textfile::ReadCause cause = textfile::ReadCause::Other;
    const auto bytes = textfile::readBytes(configPath, &why, &cause);
    if (!bytes)
        return cause == textfile::ReadCause::Missing ? Error() : Error{Fault::Setup, why};
    for (const QString& line : QString::fromUtf8(*bytes).split(u'\n')) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(u'#')) {
            *chosen = {t, configPath};
            break;
        }
    }
    return {};
}

bool ConnParams::has(const QString& keyword) const {
    return std::any_of(options.cbegin(), options.cend(), [&](const auto& o) { return o.first == keyword; });
}

QString ConnParams::connectOptions() const {
    QStringList out;
    for (auto [key, value] : options) {
        value.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        out << key + QStringLiteral("='") + value + u'\'';
    }
    return out.join(u';');
}

Error parseConninfo(const QString& conninfo, ConnParams* params) {
    *params = {};
    Pairs pairs;
    const bool uri = conninfo.startsWith(QStringLiteral("postgresql://")) ||
                     conninfo.startsWith(QStringLiteral("postgres://"));
    if (Error e = uri ? uriPairs(conninfo, &pairs) : keywordPairs(conninfo, &pairs))
        return e;
    for (const auto& [key, value] : pairs) {
        if (key == u"host")
            params->host = value;
        else if (key == u"dbname")
            params->database = value;
        else if (key == u"user")
            params->user = value;
        else if (key == u"password")
            params->password = value;
        else if (key == u"port") {
            bool ok = false;
            params->port = value.toInt(&ok);
            if (!ok || params->port <= 0 || params->port > 65535)
                return bad(QStringLiteral("порт \"%1\" не число от 1 до 65535").arg(value));
        } else if (value.contains(u';')) {
            // The driver turns every ";" of its options into a blank.
            return bad(QStringLiteral("в значении \"%1\" нельзя использовать \";\"").arg(key));
        } else {
            params->options.append({key, value});
        }
    }
    return {};
}

} // namespace clinicdb
