#pragma once
// Small helpers over the model's singly linked lists: every record type ends in a
// `next` link and is owned by the holder of the list's head.

#include <cstddef>

namespace orlim {

// Deletes every record of the list and leaves the head empty.
template <class Record>
void destroyList(Record*& head)
{
    while (head) {
        Record* gone = head;
        head = head->next;
        delete gone;
    }
}

template <class Record>
int listCount(const Record* head)
{
    int count = 0;
    for (; head; head = head->next)
        ++count;
    return count;
}

// The record at `index` from 0, or null when the index is negative or too large.
template <class Record>
Record* listAt(Record* head, int index)
{
    if (index < 0)
        return nullptr;
    for (; head && index > 0; --index)
        head = head->next;
    return head;
}

template <class Record>
Record* listLast(Record* head)
{
    if (!head)
        return nullptr;
    while (head->next)
        head = head->next;
    return head;
}

// Appends records at the end of a list in constant time each, so that a reader that
// fills a long list does not walk it once per record.
template <class Record>
class ListAppender {
public:
    explicit ListAppender(Record*& head)
        : link_(&head)
    {
        while (*link_)
            link_ = &(*link_)->next;
    }

    // Takes ownership of `record` and links it last.
    Record* add(Record* record)
    {
        record->next = nullptr;
        *link_ = record;
        link_ = &record->next;
        return record;
    }

private:
    Record** link_;
};

// Gives the first record of a list the values of `values`, keeping its link (the
// permanent first entry of a list stays the same record); creates it in an empty list.
template <class Record>
Record* assignFirst(Record*& head, const Record& values)
{
    if (!head)
        head = new Record;
    Record* next = head->next;
    *head = values;
    head->next = next;
    return head;
}

// Stores records in the order they are read: the first replaces the values of the
// list's default first entry, every later one is appended.
template <class Record>
class FirstThenAppend {
public:
    explicit FirstThenAppend(Record*& head)
        : head_(head)
    {
    }

    Record* add(const Record& values)
    {
        if (!started_) {
            started_ = true;
            Record* first = assignFirst(head_, values);
            appender_ = ListAppender<Record>(head_);
            return first;
        }
        return appender_.add(new Record(values));
    }

    // A record that is left out: when it would have been the first, the default first
    // entry keeps its values and the records after it are appended.
    void skip()
    {
        if (!started_) {
            started_ = true;
            appender_ = ListAppender<Record>(head_);
        }
    }

private:
    Record*& head_;
    bool started_ = false;
    // Only used once the first record is in place.
    ListAppender<Record> appender_{head_};
};

// Unlinks `record` (which must be `*link`) and deletes it; `link` then refers to the
// record that followed.
template <class Record>
void removeAt(Record** link)
{
    Record* gone = *link;
    *link = gone->next;
    delete gone;
}

// Links `record` in after `after`, or first when `after` is null.
template <class Record>
void insertAfter(Record*& head, Record* after, Record* record)
{
    if (after) {
        record->next = after->next;
        after->next = record;
    } else {
        record->next = head;
        head = record;
    }
}

// The last record from `start` on whose position is at most `position`: the record in
// force there, for walks that move forward in time through an ordered list.
template <class Record>
Record* lastAtOrBefore(Record* start, std::uint32_t position)
{
    while (start->next && start->next->position <= position)
        start = start->next;
    return start;
}

} // namespace orlim
