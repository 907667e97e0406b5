#include "uninstall/UninstallModel.h"

#include "uninstall/Uninstaller.h"

#include <Dispatch/DispatchQueue.h>

UninstallModel::Engine UninstallModel::Engine::standard() {
    return {Uninstaller::plan, Uninstaller::run};
}

UninstallModel::UninstallModel(Engine engine) : m_engine(std::move(engine)) {}

std::shared_ptr<UninstallModel> UninstallModel::self() {
    return std::static_pointer_cast<UninstallModel>(shared_from_this());
}

void UninstallModel::prepare() {
    plan = std::nullopt;
    results = std::nullopt;
    deleteData = false;
    showing = true;
    Dispatch::DispatchQueue::global().async([model = self()] {
        auto sentences = model->m_engine.plan();
        Dispatch::DispatchQueue::main().async(
            [model, sentences = std::move(sentences)] { model->plan = sentences; });
    });
}

void UninstallModel::run() {
    running = true;
    const bool withData = *deleteData;
    Dispatch::DispatchQueue::global().async([model = self(), withData] {
        auto steps = model->m_engine.run(withData);
        Dispatch::DispatchQueue::main().async([model, steps = std::move(steps)] {
            model->results = steps;
            model->running = false;
        });
    });
}
