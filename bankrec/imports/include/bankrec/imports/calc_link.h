#pragma once
// The running LibreOffice Calc as the spreadsheet reader's link, reached over Calc's own UNO
// interface through a helper process (bankrec-calc-link.py, run by /usr/bin/python3 with
// python3-uno) that the program starts without a shell and talks to over its stdin and stdout,
// one JSON object per line. Calc is reachable when it was started with
//     soffice --calc --accept="pipe,name=bankrec;urp;"
// (another connection through BANKREC_CALC_ACCEPT, for instance "socket,host=localhost,
// port=2002"). Topics are "[document title]sheet". The helper is found beside the program, or
// where BANKREC_CALC_LINK points; every answer is awaited for a bounded time, after which the
// helper is ended and the step fails, so a Calc that hangs cannot hang the import.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bankrec/imports/spreadsheet_link.h"

class QJsonObject;
class QProcess;

namespace imports {

class CalcLink : public SpreadsheetLink {
  public:
    // `accept`: Calc's connection ("pipe,name=bankrec"); empty takes BANKREC_CALC_ACCEPT or the
    // default.
    explicit CalcLink(std::string accept = {});
    ~CalcLink() override;

    bool connect() override;
    bool topics(std::vector<std::string>& out) override;
    bool openTopic(const std::string& topic) override;
    bool readCells(int32_t row, const std::vector<int32_t>& columns,
                   std::vector<std::string>& out) override;
    void close() override;

    // Where the helper is looked for: BANKREC_CALC_LINK, else bankrec-calc-link.py in the
    // program's folder or in ../share/bankrec beside it. "" when it is in none of these.
    static std::string helperPath();
    // Calc's connection when none is given: BANKREC_CALC_ACCEPT or "pipe,name=bankrec".
    static std::string defaultAccept();

    // How long each answer is awaited (connecting, then every other step).
    void setTimeouts(int connectMs, int requestMs) {
        connectMs_ = connectMs;
        requestMs_ = requestMs;
    }

  private:
    bool request(const QJsonObject& req, QJsonObject& answer, int timeoutMs);
    void stopHelper();

    std::string accept_;
    std::unique_ptr<QProcess> helper_;
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> topics_;
    int connectMs_ = 20000;
    int requestMs_ = 10000;
};

}  // namespace imports
