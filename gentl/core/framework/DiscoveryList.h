#pragma once
#include "CountedPtr.h"
#include "ReportError.h"

#include <GenTL.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace GenTLCore {

// The list of child modules that a parent's discovery found (the system's
// interfaces, an interface's devices) and the published part of it that the
// consumer sees: the first `published` entries, changed only by a publishing
// discovery. Runs under the owning module's lock.
//
// Entry offers GetID, MatchesTag(Tag), IsOpen, IsNonFunctional,
// SetNonFunctional and InitPortURLsOnce.
template <class Entry, class Tag>
class DiscoveryList {
public:
    // The words of the log lines: "interface" or "device", with "An" or "A".
    struct Words {
        const char* noun;
        const char* article;
        bool logsAdditions;  // "Added the ... to the list as ..." and the check of missing ones
    };

    // One discovery run. discover(candidates) gives a GenTL code;
    // create(tag) a new entry; refresh(entry, tag) updates a rediscovered
    // one. Out of memory while discovering or adding gives -1021 with its
    // text.
    template <class Discover, class Create, class Refresh>
    int32_t Run(bool publish, const Words& words, Discover discover, Create create, Refresh refresh)
    {
        const std::string noun = words.noun;
        LogLine("DevDisc", 4, "Started new " + noun + " discovery procedure" + (publish ? " including" : " without") +
                                  " update of the published " + noun + " list");
        LogLine("DevDisc", 4, "Asking the discovery engine for updated " + noun + " list");
        std::vector<CountedPtr<Tag>> candidates;
        int32_t code = GC_ERR_SUCCESS;
        try {
            code = discover(&candidates);
        } catch (const std::bad_alloc&) {
            candidates.clear();
            return OutOfMemory(noun);
        }
        if (code != GC_ERR_SUCCESS)
            return code;
        if (publish) {
            LogLine("DevDisc", 4, "Checking for dead " + noun + " objects to be destroyed");
            entries.erase(std::remove_if(entries.begin(), entries.end(),
                                         [](CountedPtr<Entry>& e) { return e->IsNonFunctional() && !e->IsOpen(); }),
                          entries.end());
            published = std::min<uint32_t>(published, static_cast<uint32_t>(entries.size()));
        }
        LogLine("DevDisc", 4, "Inspecting candidates reported by discovery engine");
        std::set<std::string> seen;
        std::string id;
        try {
            for (const CountedPtr<Tag>& candidate : candidates) {
                if (!candidate)
                    continue;
                LogLine("DevDisc", 4, "Considering candidate tagged as " + candidate->GetID());
                auto match = std::find_if(entries.begin(), entries.end(),
                                          [&](CountedPtr<Entry>& e) { return e->MatchesTag(*candidate); });
                if (match != entries.end()) {
                    (*match)->GetID(id);
                    LogLine("DevDisc", 4, "The " + noun + " is already in the list as " + id + ", skipping.");
                    seen.insert(id);
                    refresh(**match, candidate);
                    continue;
                }
                if (candidate->GetID().empty()) {
                    LogLine("DevDisc", 2, std::string(words.article) + " " + noun +
                                              " could not be added to the list due to missing identity (unique string).");
                    continue;
                }
                CountedPtr<Entry> created = create(candidate);
                if (!created)
                    continue;
                created->InitPortURLsOnce();
                entries.push_back(created);
                created->GetID(id);
                seen.insert(id);
                if (words.logsAdditions)
                    LogLine("DevDisc", 4, "Added the " + noun + " to the list as " + id);
            }
        } catch (const std::bad_alloc&) {
            return OutOfMemory(noun);
        }
        if (words.logsAdditions)
            LogLine("DevDisc", 4, "Checking for existing " + noun + " objects that were not rediscovered");
        std::vector<CountedPtr<Entry>> kept;
        kept.reserve(entries.size());
        for (CountedPtr<Entry>& entry : entries) {
            if (seen.count(entry->GetID(id)) == 0) {
                if (publish && !entry->IsOpen())
                    continue;
                entry->SetNonFunctional();
            }
            kept.push_back(entry);
        }
        entries.swap(kept);
        if (publish) {
            std::stable_partition(entries.begin(), entries.end(),
                                  [](CountedPtr<Entry>& e) { return !e->IsNonFunctional(); });
            published = static_cast<uint32_t>(
                std::count_if(entries.begin(), entries.end(), [](CountedPtr<Entry>& e) { return !e->IsNonFunctional(); }));
        } else {
            published = std::min<uint32_t>(published, static_cast<uint32_t>(entries.size()));
        }
        return GC_ERR_SUCCESS;
    }

    // A publishing run, then *changed (when given): false exactly when the
    // published part holds the same objects in the same order as before.
    // The earlier published objects are held until compared, so that a
    // freed object's address cannot match a new one.
    template <class RunPublishing>
    int32_t Update(bool8_t* changed, RunPublishing run)
    {
        const std::vector<CountedPtr<Entry>> before(entries.begin(), entries.begin() + published);
        const int32_t code = run();
        if (code != GC_ERR_SUCCESS)
            return code;
        if (changed) {
            bool same = before.size() == published;
            for (size_t i = 0; same && i < before.size(); ++i)
                same = before[i] == entries[i];
            *changed = same ? 0 : 1;
        }
        return GC_ERR_SUCCESS;
    }

    // The first entry with this id, among the published ones or all.
    CountedPtr<Entry> Find(const std::string& id, bool publishedOnly)
    {
        const size_t end = publishedOnly ? published : entries.size();
        std::string entryId;
        for (size_t i = 0; i < end; ++i)
            if (entries[i]->GetID(entryId) == id)
                return entries[i];
        return CountedPtr<Entry>();
    }

    // The published entry at `index`; null past the published part.
    CountedPtr<Entry> At(uint32_t index) { return index < published ? entries[index] : CountedPtr<Entry>(); }

    // The selector clamped to the published part (and stored back); 0
    // without entries.
    uint32_t ClampedSelector()
    {
        if (selector >= published)
            selector = published == 0 ? 0 : published - 1;
        return selector;
    }

    // The selected published entry; null when none is published.
    CountedPtr<Entry> Selected() { return published == 0 ? CountedPtr<Entry>() : entries[ClampedSelector()]; }

    void Clear()
    {
        entries.clear();
        published = 0;
        selector = 0;
    }

    std::vector<CountedPtr<Entry>> entries;
    uint32_t published = 0;
    uint32_t selector = 0;

private:
    static int32_t OutOfMemory(const std::string& noun)
    {
        return ReportError(GC_ERR_OUT_OF_MEMORY, "Internal error: out of memory while listing the " + noun + "s");
    }
};

}  // namespace GenTLCore
