#include "bankrec/imports/calc_link.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

namespace imports {

namespace {

constexpr const char* kHelperName = "bankrec-calc-link.py";
constexpr const char* kPython = "/usr/bin/python3";  // the interpreter python3-uno serves

std::string envOr(const char* name, const std::string& fallback) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? fallback : value.toStdString();
}

}  // namespace

CalcLink::CalcLink(std::string accept)
    : accept_(accept.empty() ? defaultAccept() : std::move(accept)) {}

CalcLink::~CalcLink() {
    stopHelper();
}

std::string CalcLink::defaultAccept() {
    return envOr("BANKREC_CALC_ACCEPT", "pipe,name=bankrec");
}

std::string CalcLink::helperPath() {
    const std::string set = envOr("BANKREC_CALC_LINK", "");
    if (!set.empty()) return QFileInfo(QString::fromStdString(set)).isFile() ? set : "";
    if (!QCoreApplication::instance()) return {};
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + "/" + kHelperName, dir + "/../share/bankrec/" + kHelperName}) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath().toStdString();
    }
    return {};
}

bool CalcLink::connect() {
    stopHelper();
    topics_.clear();
    const std::string helper = helperPath();
    if (helper.empty())
        return fail(std::string("The spreadsheet link ") + kHelperName +
                    " was not found beside the program");
    helper_ = std::make_unique<QProcess>();
    helper_->setProcessChannelMode(QProcess::SeparateChannels);
    helper_->setProgram(QString::fromStdString(envOr("BANKREC_CALC_PYTHON", kPython)));
    helper_->setArguments({QString::fromStdString(helper)});
    helper_->start(QIODevice::ReadWrite);
    if (!helper_->waitForStarted(5000)) {
        const std::string why = helper_->errorString().toStdString();
        stopHelper();
        return fail("Unable to start the spreadsheet link: " + why);
    }
    QJsonObject req{{"op", "connect"}, {"accept", QString::fromStdString(accept_)}};
    QJsonObject answer;
    if (!request(req, answer, connectMs_)) {
        stopHelper();
        return false;
    }
    return true;
}

bool CalcLink::topics(std::vector<std::string>& out) {
    out.clear();
    QJsonObject answer;
    if (!request(QJsonObject{{"op", "topics"}}, answer, requestMs_)) return false;
    topics_.clear();
    for (const QJsonValue& v : answer.value("topics").toArray()) {
        const QJsonArray pair = v.toArray();
        const std::string doc = pair.at(0).toString().toStdString();
        const std::string sheet = pair.at(1).toString().toStdString();
        topics_.push_back({topicName(doc, sheet), {doc, sheet}});
        out.push_back(topics_.back().first);
    }
    return true;
}

bool CalcLink::openTopic(const std::string& topic) {
    for (const auto& [name, where] : topics_) {
        if (name != topic) continue;
        QJsonObject req{{"op", "open"},
                        {"document", QString::fromStdString(where.first)},
                        {"sheet", QString::fromStdString(where.second)}};
        QJsonObject answer;
        return request(req, answer, requestMs_);
    }
    return fail("no open sheet is called " + topic);
}

bool CalcLink::readCells(int32_t row, const std::vector<int32_t>& columns,
                         std::vector<std::string>& out) {
    out.clear();
    QJsonArray cols;
    for (int32_t c : columns) cols.append(c);
    QJsonObject answer;
    if (!request(QJsonObject{{"op", "read"}, {"row", row}, {"columns", cols}}, answer, requestMs_))
        return false;
    const QJsonArray cells = answer.value("cells").toArray();
    if (cells.size() != static_cast<qsizetype>(columns.size()))
        return fail("the spreadsheet link answered with the wrong number of cells");
    for (const QJsonValue& v : cells) out.push_back(v.toString().toStdString());
    return true;
}

void CalcLink::close() {
    if (helper_ && helper_->state() == QProcess::Running) {
        helper_->write("{\"op\": \"close\"}\n");
        helper_->closeWriteChannel();
        if (!helper_->waitForFinished(2000)) {
            helper_->kill();
            helper_->waitForFinished(2000);
        }
    }
    helper_.reset();
    topics_.clear();
}

void CalcLink::stopHelper() {
    if (!helper_) return;
    if (helper_->state() != QProcess::NotRunning) {
        helper_->kill();
        helper_->waitForFinished(2000);
    }
    helper_.reset();
}

bool CalcLink::request(const QJsonObject& req, QJsonObject& answer, int timeoutMs) {
    if (!helper_ || helper_->state() != QProcess::Running)
        return fail("the spreadsheet link is not running");
    helper_->write(QJsonDocument(req).toJson(QJsonDocument::Compact) + "\n");
    QDeadlineTimer deadline(timeoutMs);
    while (!helper_->canReadLine()) {
        if (helper_->state() != QProcess::Running || deadline.hasExpired() ||
            !helper_->waitForReadyRead(
                static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
            if (helper_->canReadLine()) break;
            const bool ended = helper_->state() != QProcess::Running;
            const std::string why = helper_->readAllStandardError().trimmed().toStdString();
            stopHelper();
            if (ended) return fail("The spreadsheet link ended" + (why.empty() ? "" : ": " + why));
            const int seconds = (timeoutMs + 999) / 1000;
            return fail("LibreOffice Calc did not answer within " + std::to_string(seconds) +
                        (seconds == 1 ? " second" : " seconds"));
        }
    }
    const QByteArray line = helper_->readLine();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    if (!doc.isObject()) return fail("the spreadsheet link answered something unreadable");
    answer = doc.object();
    if (!answer.value("ok").toBool())
        return fail(answer.value("error").toString("unknown failure").toStdString());
    return true;
}

}  // namespace imports
