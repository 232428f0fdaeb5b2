#include "testsupport/program_run.h"

namespace testsupport {

ProgramRun runProgram(const QString& program, const QStringList& args, const QString& workingDir) {
    return runProgram(program, args, workingDir, QProcessEnvironment::systemEnvironment());
}

ProgramRun runProgram(const QString& program, const QStringList& args, const QString& workingDir,
                      const QProcessEnvironment& env, int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workingDir.isEmpty()) p.setWorkingDirectory(workingDir);
    p.start(program, args);
    return finishProgram(p, timeoutMs);
}

ProgramRun finishProgram(QProcess& process, int timeoutMs) {
    ProgramRun r;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.finished = process.exitStatus() == QProcess::NormalExit;
    if (r.finished) r.exitCode = process.exitCode();
    r.out = process.readAllStandardOutput().toStdString();
    r.err = process.readAllStandardError().toStdString();
    return r;
}

}  // namespace testsupport
