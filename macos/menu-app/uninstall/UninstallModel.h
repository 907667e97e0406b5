// The state of the uninstall sheet: the plan it shows, the user's choice to
// delete data, and the steps of the finished run.
//
// `prepare` opens the sheet on a fresh confirmation page and asks the engine
// for its plan on the global queue; `run` carries out the uninstall there with
// the `deleteData` of that moment. Both return at once; the engine's answers
// arrive on the main queue, and the work queued holds the model until it is
// done, so closing the sheet never stops a run. Published state changes only
// on the main thread.
#pragma once

#include "uninstall/UninstallStep.h"

#include <SwiftUI/ObservableObject.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class UninstallModel : public SwiftUI::ObservableObject {
public:
    // What the model asks of the uninstaller; tests give their own.
    struct Engine {
        std::function<std::vector<std::string>()> plan;
        std::function<std::vector<UninstallStep>(bool deleteData)> run;

        // The uninstaller itself.
        static Engine standard();
    };

    explicit UninstallModel(Engine engine = Engine::standard());

    SwiftUI::Published<bool> showing{this, false};
    // Absent while the plan is being worked out.
    SwiftUI::Published<std::optional<std::vector<std::string>>> plan{this};
    SwiftUI::Published<bool> deleteData{this, false};
    SwiftUI::Published<bool> running{this, false};
    // Present once a run has finished: the sheet then shows its finished page.
    SwiftUI::Published<std::optional<std::vector<UninstallStep>>> results{this};

    // Main thread.
    void prepare();
    // Main thread.
    void run();

private:
    std::shared_ptr<UninstallModel> self();

    Engine m_engine;
};
