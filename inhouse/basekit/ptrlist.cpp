#include "bk_ptrlist.h"

#include <cstdlib>

struct BkPtrList::Node {
    Node* next;
    Node* prev;
    void* data;
};

struct BkPtrList::Block {
    Block* next;
    // followed by blockSize_ nodes
};


BkPtrList::BkPtrList(int blockSize) : blockSize_(blockSize > 0 ? blockSize : 10) {}

BkPtrList::~BkPtrList()
{
    RemoveAll();
    while (blocks_) {
        Block* next = blocks_->next;
        std::free(blocks_);
        blocks_ = next;
    }
}

BkPtrList::Node* BkPtrList::NewNode(Node* prev, Node* next, void* p)
{
    if (free_ == nullptr) {
        void* memory = std::malloc(sizeof(Block) + sizeof(Node) * static_cast<size_t>(blockSize_));
        if (memory == nullptr)
            return nullptr;
        Block* block = static_cast<Block*>(memory);
        block->next = blocks_;
        blocks_ = block;
        Node* nodes = reinterpret_cast<Node*>(block + 1);
        for (int i = blockSize_ - 1; i >= 0; --i) {
            nodes[i].next = free_;
            free_ = &nodes[i];
        }
    }
    Node* node = free_;
    free_ = free_->next;
    node->prev = prev;
    node->next = next;
    node->data = p;
    ++count_;
    return node;
}

void BkPtrList::FreeNode(Node* node)
{
    node->next = free_;
    node->prev = nullptr;
    node->data = nullptr;
    free_ = node;
    --count_;
}

BKPOSITION BkPtrList::AddHead(void* p)
{
    Node* node = NewNode(nullptr, head_, p);
    if (node == nullptr)
        return nullptr;
    if (head_)
        head_->prev = node;
    else
        tail_ = node;
    head_ = node;
    return reinterpret_cast<BKPOSITION>(node);
}

BKPOSITION BkPtrList::AddTail(void* p)
{
    Node* node = NewNode(tail_, nullptr, p);
    if (node == nullptr)
        return nullptr;
    if (tail_)
        tail_->next = node;
    else
        head_ = node;
    tail_ = node;
    return reinterpret_cast<BKPOSITION>(node);
}

BKPOSITION BkPtrList::GetHeadPosition() const { return reinterpret_cast<BKPOSITION>(head_); }
BKPOSITION BkPtrList::GetTailPosition() const { return reinterpret_cast<BKPOSITION>(tail_); }

void*& BkPtrList::GetNext(BKPOSITION& pos)
{
    Node* node = reinterpret_cast<Node*>(pos);
    pos = reinterpret_cast<BKPOSITION>(node->next);
    return node->data;
}

void*& BkPtrList::GetPrev(BKPOSITION& pos)
{
    Node* node = reinterpret_cast<Node*>(pos);
    pos = reinterpret_cast<BKPOSITION>(node->prev);
    return node->data;
}

void*& BkPtrList::GetHead() { return head_->data; }
void*& BkPtrList::GetTail() { return tail_->data; }
void*& BkPtrList::GetAt(BKPOSITION pos) { return reinterpret_cast<Node*>(pos)->data; }
void BkPtrList::SetAt(BKPOSITION pos, void* p) { reinterpret_cast<Node*>(pos)->data = p; }

BKPOSITION BkPtrList::Find(void* p, BKPOSITION start) const
{
    for (Node* node = start ? reinterpret_cast<Node*>(start) : head_; node; node = node->next)
        if (node->data == p)
            return reinterpret_cast<BKPOSITION>(node);
    return nullptr;
}

BKPOSITION BkPtrList::FindIndex(int index) const
{
    if (index < 0 || index >= count_)
        return nullptr;
    Node* node = head_;
    while (index-- > 0)
        node = node->next;
    return reinterpret_cast<BKPOSITION>(node);
}

void* BkPtrList::RemoveHead()
{
    void* p = head_->data;
    RemoveAt(reinterpret_cast<BKPOSITION>(head_));
    return p;
}

void* BkPtrList::RemoveTail()
{
    void* p = tail_->data;
    RemoveAt(reinterpret_cast<BKPOSITION>(tail_));
    return p;
}

void BkPtrList::RemoveAt(BKPOSITION pos)
{
    Node* node = reinterpret_cast<Node*>(pos);
    if (node == nullptr)
        return;
    (node->prev ? node->prev->next : head_) = node->next;
    (node->next ? node->next->prev : tail_) = node->prev;
    FreeNode(node);
}

void BkPtrList::RemoveAll()
{
    while (head_)
        RemoveAt(reinterpret_cast<BKPOSITION>(head_));
}
