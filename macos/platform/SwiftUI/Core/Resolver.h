// Turning a view tree into elements, one redraw at a time.
//
// The resolver walks the nodes, hands out identities, links the state members
// of custom views to the `Store`, and gathers what the redraw found: the models
// to observe, the life-cycle actions to run once it is done, the presentations
// to show, and the custom-view instances whose closures the elements hold.
#pragma once

#include "Element.h"

#include <SwiftUI/ObservableObject.h>
#include <SwiftUI/View.h>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace SwiftUI {

// What lasts from one redraw to the next, by key. An entry not touched during a redraw
// is dropped at its end: a view that left the tree loses its state.
class Store {
public:
    std::shared_ptr<void>& slot(const std::string& key);
    bool contains(const std::string& key) const { return m_entries.contains(key); }
    void beginRedraw() { ++m_generation; }
    void sweep();
    void clear() { m_entries.clear(); }

private:
    struct Entry {
        std::shared_ptr<void> value;
        std::uint64_t generation = 0;
    };
    std::map<std::string, Entry> m_entries;
    std::uint64_t m_generation = 0;
};

struct Presentation {
    enum class Kind { Sheet, Dialog };
    Kind kind = Kind::Sheet;
    std::string identity;
    std::shared_ptr<const Environment> environment;
    Binding<bool> isPresented = Binding<bool>::constant(false);
    // The sheet's content, or the dialog's buttons.
    std::function<View()> content;
    // Dialogs only.
    std::shared_ptr<const Node> title;
    std::function<View()> message;
};

class Resolver {
public:
    Resolver(Store& store, std::function<void()> invalidate, bool onScreen);

    void resolve(const View& view, const Scope& scope, ElementList& out);
    // Resolves each of `views` at its position under `scope`.
    ElementList resolveAll(const std::vector<View>& views, const Scope& scope);
    // Resolves the single element of a view, or nothing when it has none.
    std::unique_ptr<Element> resolveOne(const View& view, const Scope& scope);

    // Links the dynamic properties inside the view struct at [address, address + size).
    void linkProperties(const std::string& identity, const void* address, std::size_t size);

    Store& store() { return m_store; }
    const std::function<void()>& invalidation() const { return m_invalidate; }
    bool isOnScreen() const { return m_onScreen; }
    // A key for the `purpose` of a modifier at `identity`, distinct for each such modifier.
    std::string keyFor(const std::string& identity, const char* purpose);

    void observe(std::shared_ptr<ObservableObject> object);
    void afterRedraw(std::function<void()> action);
    void present(Presentation presentation);
    void keepAlive(std::shared_ptr<const void> object);

    std::vector<std::shared_ptr<ObservableObject>> observed;
    std::vector<std::function<void()>> actions;
    std::vector<Presentation> presentations;
    std::vector<std::shared_ptr<const void>> kept;

private:
    Store& m_store;
    std::function<void()> m_invalidate;
    bool m_onScreen;
    std::map<std::string, int> m_keyCounts;
};

} // namespace SwiftUI
