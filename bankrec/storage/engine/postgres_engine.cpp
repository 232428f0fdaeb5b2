// The PostgreSQL engine (placeholder until it is built).
#include "bankrec/storage/engine.h"

namespace storage {

std::unique_ptr<Engine> makePostgresEngine(const Storage&) {
    return makeSqliteEngine();
}

}  // namespace storage
