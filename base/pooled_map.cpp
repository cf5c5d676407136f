#include "base/pooled_map.h"

namespace vadro {

PooledMap::PooledMap(std::uint32_t bucketCount, std::int32_t blockSize, HeapHandle heap, bool ownsHeap)
    : bucketCount(bucketCount),
      blockSize(blockSize),
      heap(heap != nullptr ? heap : ProcessHeap()),
      ownsHeap(ownsHeap ? 1 : 0) {}

PooledMap::~PooledMap() {
  RemoveAll();
  if (ownsHeap != 0) HeapDestroyOwned(heap);
}

std::uint32_t PooledMap::BucketOf(std::int32_t key) const {
  // The low four bits are dropped: neighbouring keys share a bucket.
  return (static_cast<std::uint32_t>(key) >> 4) % bucketCount;
}

PooledMap::Association* PooledMap::NewAssociation() {
  if (freeList == nullptr) RefillPool(heap, blockSize, blocks, freeList);
  Association* association = freeList;
  freeList = association->next;
  count += 1;
  return association;
}

std::int32_t& PooledMap::ValueFor(std::int32_t key) {
  std::uint32_t bucket = BucketOf(key);
  if (buckets != nullptr) {
    for (Association* a = buckets[bucket]; a != nullptr; a = a->next) {
      if (a->key == key) return a->value;
    }
  }
  // The bucket array is null only while the map is empty (count 0): this is the first insertion.
  if (buckets == nullptr) {
    // `bucketCount` pointers: the pointer size is meant here, not the size of an Association.
    buckets = static_cast<Association**>(
        HeapAllocZeroed(heap, sizeof(Association*) * bucketCount));  // NOLINT(bugprone-sizeof-expression)
  }
  Association* association = NewAssociation();
  association->bucketIndex = bucket;
  association->key = key;
  association->next = buckets[bucket];
  buckets[bucket] = association;
  return association->value;
}

bool PooledMap::Lookup(std::int32_t key, std::int32_t& value) const {
  if (buckets == nullptr) return false;
  for (const Association* a = buckets[BucketOf(key)]; a != nullptr; a = a->next) {
    if (a->key == key) {
      value = a->value;
      return true;
    }
  }
  return false;
}

void PooledMap::RemoveAll() {
  if (buckets != nullptr) {
    HeapFreeBlock(heap, buckets);
    buckets = nullptr;
  }
  count = 0;
  freeList = nullptr;
  FreePoolBlocks(heap, blocks);
}

std::int32_t PooledMap::BlockCount() const { return CountPoolBlocks(blocks); }

}  // namespace vadro
