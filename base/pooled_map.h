// PooledMap: a hash map from 32-bit key to 32-bit value. Associations come from blocks of
// `blockSize` on a heap and are given back only all at once.
#pragma once
#include <cstdint>

#include "base/heap.h"
#include "base/pool_block.h"

namespace vadro {

class PooledMap {
 public:
  struct Association {
    Association* next;
    std::uint32_t bucketIndex;
    std::int32_t key;
    std::int32_t value;
  };

  explicit PooledMap(std::uint32_t bucketCount = 17, std::int32_t blockSize = 10, HeapHandle heap = nullptr,
                     bool ownsHeap = false);
  ~PooledMap();
  PooledMap(const PooledMap&) = delete;
  PooledMap& operator=(const PooledMap&) = delete;

  // The value slot of `key`, inserted with value 0 when absent.
  std::int32_t& ValueFor(std::int32_t key);
  // Never inserts.
  bool Lookup(std::int32_t key, std::int32_t& value) const;
  void RemoveAll();

  std::int32_t Count() const { return count; }
  std::uint32_t BucketCount() const { return bucketCount; }
  bool HasBuckets() const { return buckets != nullptr; }
  std::uint32_t BucketOf(std::int32_t key) const;
  // Number of pool blocks held (for tests and measurement).
  std::int32_t BlockCount() const;

 private:
  Association* NewAssociation();

  Association** buckets = nullptr;
  std::uint32_t bucketCount;
  std::int32_t count = 0;
  Association* freeList = nullptr;
  PoolBlock* blocks = nullptr;
  std::int32_t blockSize;
  HeapHandle heap;
  std::int32_t ownsHeap;
};

}  // namespace vadro
