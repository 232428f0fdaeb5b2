#include "bankrec/shell/session.h"

#include "bankrec/storage/file_session.h"

using namespace storage;

namespace shell {

Session::Session(int32_t thread, std::string procedure, const StartupParameters& params,
                 const Storage& storage)
    : thread_(thread),
      procedure_(std::move(procedure)),
      params_(params),
      storage_(std::make_unique<FileSession>(storage)) {}

Session::~Session() = default;

}  // namespace shell
