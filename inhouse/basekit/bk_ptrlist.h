// BkPtrList: an ordered list of untyped pointers.
//
// Positions are stable: a position stays valid across insertions at either
// end and across the removal of other elements; RemoveAt(pos) removes that
// one element. The list never frees its elements; owners free them first.
// Nodes come from blocks of `blockSize` nodes, reused after removal.
#pragma once
#include "bk_export.h"

typedef struct BkPositionTag* BKPOSITION;

class BASEKIT_API BkPtrList {
public:
    explicit BkPtrList(int blockSize = 10);
    ~BkPtrList();
    BkPtrList(const BkPtrList&) = delete;
    BkPtrList& operator=(const BkPtrList&) = delete;

    // Adds an element; answers its position (null only when memory runs out).
    BKPOSITION AddHead(void* p);
    BKPOSITION AddTail(void* p);

    // Null when the list is empty.
    BKPOSITION GetHeadPosition() const;
    BKPOSITION GetTailPosition() const;

    // The element at `pos`; moves `pos` to the next (previous) element, or
    // to null after the last (before the first).
    void*& GetNext(BKPOSITION& pos);
    void*& GetPrev(BKPOSITION& pos);

    // The list must not be empty / `pos` must be a position of this list.
    void*& GetHead();
    void*& GetTail();
    void*& GetAt(BKPOSITION pos);
    void SetAt(BKPOSITION pos, void* p);

    // The first position, from `start` on (start included; null = from the
    // head), whose element equals `p`; null when there is none.
    BKPOSITION Find(void* p, BKPOSITION start = nullptr) const;
    // The position of the element with 0-based index `index`, or null.
    BKPOSITION FindIndex(int index) const;

    int GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    // Removes elements without freeing them. RemoveHead/RemoveTail answer the
    // element removed; the list must not be empty.
    void* RemoveHead();
    void* RemoveTail();
    void RemoveAt(BKPOSITION pos);
    void RemoveAll();

private:
    struct Node;
    struct Block;
    Node* NewNode(Node* prev, Node* next, void* p);
    void FreeNode(Node* node);

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* free_ = nullptr;
    Block* blocks_ = nullptr;
    int count_ = 0;
    int blockSize_;
};
