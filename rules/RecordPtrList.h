// A caller's list of heap records for the catalogue's plain queries: pointers
// with a current index and an owning flag. While autoDelete is set, emptying
// the list deletes its records; while it is clear, only the pointers go.
#pragma once

#include <QList>
#include <QtAlgorithms>

template<class T>
class RecordPtrList
{
public:
    RecordPtrList() = default;
    ~RecordPtrList() { clear(); }
    // Copies would share the records and delete them twice.
    RecordPtrList(const RecordPtrList&) = delete;
    RecordPtrList& operator=(const RecordPtrList&) = delete;

    void clear()
    {
        if (autoDelete)
            qDeleteAll(records);
        records.clear();
    }

    void append(T* record) { records.append(record); }
    // Drops the first record (deleted while autoDelete is set); the index goes back to 0.
    void removeFirst()
    {
        if (records.isEmpty())
            return;
        T* first = records.takeFirst();
        if (autoDelete)
            delete first;
        index = 0;
    }
    T* at(int i) const { return records.at(i); }
    int size() const { return records.size(); }
    bool isEmpty() const { return records.isEmpty(); }

    typename QList<T*>::const_iterator begin() const { return records.cbegin(); }
    typename QList<T*>::const_iterator end() const { return records.cend(); }

    bool autoDelete = false;
    int index = 0;

private:
    QList<T*> records;
};
