// bankrec_core gathers the procedure libraries of the program's modules.
namespace bankrec {
const char* coreLibraryName() { return "bankrec_core"; }
}  // namespace bankrec
