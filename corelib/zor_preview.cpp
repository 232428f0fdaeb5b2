#include "corelib/zor_preview.h"

#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/thread_registry.h"

namespace corelib {

namespace {

class HeadlessPreview : public PreviewBackend {
  public:
    PreviewAnswer show(PreviewPages&, const PreviewOptions&) override { return {}; }
};

std::shared_ptr<PreviewBackend>& slot() {
    static std::shared_ptr<PreviewBackend> backend = std::make_shared<HeadlessPreview>();
    return backend;
}

}  // namespace

PreviewAnswer ScriptedPreview::show(PreviewPages& pages, const PreviewOptions& options) {
    ++shown_;
    last_ = options;
    lastPages_ = pages.count();
    pages.applyPagesToPrint(pagesToPrint_);
    return {print_, copies_};
}

void setPreviewBackend(std::shared_ptr<PreviewBackend> backend) {
    slot() = backend ? std::move(backend) : std::make_shared<HeadlessPreview>();
}

uint8_t ZOR_PREVIEW(std::vector<std::string>& queue, int16_t zoom, uint8_t flag,
                    const std::string& title, uint8_t showPageList) {
    THREAD_LOG("ZOR_PREVIEW");
    if (queue.empty()) {
        ds_Beep();
        ds_Message("Nothing to report!!", {}, {}, msg::OK);
        GlobalResponse = RequestCancelled;
        THREAD_RETURN("ZOR_PREVIEW");
        return 0;
    }
    PreviewPages pages(queue);
    PreviewOptions options;
    options.zoom = zoom;
    options.flag = flag;
    options.title = title;
    options.showPageList = showPageList != 0;
    // Hold the backend for the whole preview: the window may install another one meanwhile.
    std::shared_ptr<PreviewBackend> backend = slot();
    const PreviewAnswer answer = backend->show(pages, options);
    pages.finish(answer.print, answer.copies, queue);
    GlobalResponse = answer.print ? RequestCompleted : RequestCancelled;
    THREAD_RETURN("ZOR_PREVIEW");
    return answer.print ? 1 : 0;
}

}  // namespace corelib
