#pragma once
// The procedures the frame starts as sessions of their own ("BrowseAPbnk", "BrowseAPbac",
// "BrowseAPrec", "BrowseAboutBRWindow", "LoadFIAThread"), looked up by name so the modules
// that build them register here and the frame never names their classes.
//
// A factory is called once per session with the new session (the session's thread is current
// while it runs); it returns the session's window, without parent, which the frame shows (a
// QDialog as a window of its own, anything else as a sub-window of the frame's MDI area) and
// whose destruction ends the session. The frame restores the window's remembered place under
// the procedure's name and saves it when the window closes, so the window need not. A factory
// may return nullptr when the procedure did its work at once and needs no window; the session
// then ends on return.
#include <functional>
#include <map>
#include <string>

class QWidget;

namespace shell {

class Session;

using ProcedureFactory = std::function<QWidget*(shell::Session&)>;

class ProcedureTable {
  public:
    // Registers or replaces the factory of a procedure (names without regard to case).
    void add(const std::string& name, ProcedureFactory factory);
    // The factory of a procedure, or nullptr when none is registered.
    const ProcedureFactory* find(const std::string& name) const;
    bool contains(const std::string& name) const { return find(name) != nullptr; }

  private:
    std::map<std::string, ProcedureFactory> factories_;  // by upper-case name
};

// The program's table. Modules register into it with registerProcedure (or a static
// ProcedureRegistration in their ui library); the frame receives it from main().
ProcedureTable& procedureTable();
inline void registerProcedure(const std::string& name, ProcedureFactory factory) {
    procedureTable().add(name, std::move(factory));
}

// Registers a factory when the program starts:
//   static ProcedureRegistration reg("BrowseAPbnk", [](shell::Session& s) { return new ...; });
struct ProcedureRegistration {
    ProcedureRegistration(const std::string& name, ProcedureFactory factory) {
        registerProcedure(name, std::move(factory));
    }
};

}  // namespace shell
