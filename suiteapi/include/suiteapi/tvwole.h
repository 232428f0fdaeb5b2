#pragma once
// The suite's automation object "tvwole". Its loadProcess runs a suite process by name with
// fourteen arguments; only the check-clearing process "OCW042" exists here.
#include <memory>
#include <string>

namespace tvsuite {

class TvWole {
  public:
    // The object for program identifier "tvwole"; null for any other identifier.
    static std::unique_ptr<TvWole> create(const std::string& progId);
    virtual ~TvWole();

    // The name the object is known by (at most 20 characters).
    std::string objectName() const { return name_; }

    // Runs process `process` with the arguments in their positional order:
    //  1 data path, 2 process, 3 -, 4 "1", 5 day number (7 digits, see CvtCtoJ),
    //  6 division (two digits), 7 user number, 8 terminal (4 digits), 9 posting text file,
    //  10 0, 11 0, 12 data path, 13 -, 14 -.
    // "OCW042" reads the text file (a relative name is looked for in the data path, then in
    // the current directory): its header line is 10 "N", the bank code in 10 characters,
    // 35 blanks, 200 zeros and a blank. Every check record of that bank in the payables
    // register that was written or rewritten since the bank's last clearing run is marked
    // cleared on the day number, the bank header is set back to idle (mode blank, status
    // "0"), and the run is recorded. Returns 0 on success, else a non-zero code with
    // lastError() telling why; nothing is changed on failure.
    int loadProcess(const std::string& dataPath, const std::string& process,
                    const std::string& arg3, const std::string& arg4, const std::string& dayNumber,
                    const std::string& division, const std::string& userId,
                    const std::string& terminal, const std::string& fileName,
                    const std::string& arg10, const std::string& arg11,
                    const std::string& dataPath2, const std::string& arg13,
                    const std::string& arg14);

    std::string lastError() const { return error_; }
    // Checks cleared by the last successful run.
    int lastClearedCount() const { return cleared_; }

  private:
    explicit TvWole(std::string name) : name_(std::move(name)) {}
    std::string name_;
    std::string error_;
    int cleared_ = 0;
};

}  // namespace tvsuite
