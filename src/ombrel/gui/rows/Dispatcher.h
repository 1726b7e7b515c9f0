#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CDispatcherWindow;
class CGridItem;
class CGridRows;

// The process-wide link between data objects, which change on any thread, and grid rows, which
// live on the window thread.
//
// It keeps the registry of which rows show which object, and subscribes itself as the sink of
// every object that has at least one row. A change notification is queued, on whatever thread
// raised it (the window thread included), for a hidden window of the owner thread, which hands
// the queued changes to the objects' rows in order. A burst of changes costs one wake of the
// owner thread, and a change of an (object, field) that is still queued is absorbed by the
// queued one, so a thread that notifies without pause can neither grow the queue beyond the
// pairs it touches nor keep the owner thread from its input and paint. A destruction
// notification is delivered synchronously: the destroying thread waits until the owner thread
// has removed every row of the object.
//
// The owner thread is the one that first uses the dispatcher (the first grid's constructor, or
// the first row bound to an object). Registry operations may be called from any thread; they
// take the registry lock, which is re-entrant and never held while subscribing.
class CDispatcher
{
public:
    // Created on first use, destroyed at exit.
    static CDispatcher& GetInstance();

    CDispatcher(const CDispatcher&) = delete;
    CDispatcher& operator=(const CDispatcher&) = delete;

    // Notes that `row` shows `object`; subscribes to the object when it is its first row.
    void Register(Common::CDataObject* object, CGridItem* row);
    // Who subscribes to the objects of a burst that RegisterRows binds.
    enum class Subscription
    {
        FirstShown,        // RegisterRows, to each object that had no row before
        SubscribedAlready, // the caller, with SubscribeObjectsOf, before RegisterRows
    };
    // Register for each row and its data object, under one lock: how a burst of new rows is
    // bound at once. Rows without an object are skipped.
    void RegisterRows(std::span<CGridItem* const> rows,
                      Subscription subscription = Subscription::FirstShown);
    // Subscribes to the object of each row (an object followed already stays as it is), ahead
    // of RegisterRows(rows, SubscribedAlready) on another thread: a change to an object is then
    // announced from the moment its keys may have been read, however far the registration
    // has come. Such an announcement is delivered on this thread, after the registration.
    void SubscribeObjectsOf(std::span<CGridItem* const> rows);
    // Makes room in the registry for `count` more objects, so that registering them does not
    // grow it step by step (a load that knows roughly how many rows are coming).
    void ReserveObjects(std::size_t count);
    // Removes the first (object, row) entry; unsubscribes when it was the object's last one,
    // unless the object is being destroyed.
    void Unregister(Common::CDataObject* object, CGridItem* row);
    // Unregister for each row and its present data object, under one lock: how a whole tree of
    // rows leaves at once. Rows without an object are skipped.
    void UnregisterRows(std::span<CGridItem* const> rows);
    bool IsRegistered(const Common::CDataObject* object, const CGridItem* row) const;
    bool HasObject(const Common::CDataObject* object) const;
    // Appends, in registration order, the object's rows that belong to a grid (to `grid` only,
    // when given).
    void GetRows(const Common::CDataObject* object, std::vector<CGridItem*>& out,
                 const CGridRows* grid = nullptr) const;

    // Identifier of the thread that delivers notifications.
    std::uint32_t GetOwnerThreadId() const;

private:
    friend class CDispatcherWindow;

    CDispatcher();
    ~CDispatcher();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
