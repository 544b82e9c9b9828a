// Heap, borrowed and window buffers: bounds, ownership and allocators.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "CXXRuntime/CXXBase"

namespace {

using CXX::Ref;

std::string contents(const CXX::Buffer* buffer) {
  return std::string(reinterpret_cast<const char*>(buffer->bytes()), buffer->length());
}

std::string runtimeErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const CXX::RuntimeError& error) {
    return error.what();
  }
  return "(no RuntimeError)";
}

TEST(MallocBuffer, CopiesTheGivenBytesAndRecordsTheDefaultAllocator) {
  Ref<CXX::MallocBuffer> buffer(CXX::MallocBuffer::create("hello", 5));
  EXPECT_EQ(contents(buffer.get()), "hello");
  EXPECT_EQ(buffer->allocator(), &CXX::Allocator::standard());
  EXPECT_TRUE(buffer->isKindOf(&CXX::SimpleBuffer::_MetaClass::instance));
  Ref<CXX::MallocBuffer> empty(CXX::MallocBuffer::create(nullptr, 0));
  EXPECT_EQ(empty->length(), 0u);
  EXPECT_NE(empty->bytes(), nullptr);
}

TEST(MallocBuffer, AllocatorWithoutHeapFailsAndLeavesNothingBehind) {
  int32_t live = CXX::MallocBuffer::_MetaClass::instance.liveCount();
  try {
    CXX::MallocBuffer::create("x", 1, CXX::Allocator::none());
    FAIL() << "expected a SystemError";
  } catch (const CXX::SystemError& error) {
    EXPECT_STREQ(error.what(), "memory allocation failed");
  }
  EXPECT_EQ(CXX::MallocBuffer::_MetaClass::instance.liveCount(), live);
}

TEST(MallocBuffer, CountedAllocatorCanBeRepointed) {
  Ref<CXX::Allocator> allocator(CXX::alloc<CXX::Allocator>());
  EXPECT_EQ(allocator->heap(), CXX::Allocator::kNoHeap);
  EXPECT_EQ(allocator->allocate(16), nullptr);
  allocator->setHeap(CXX::Allocator::kStandardHeap);
  Ref<CXX::MallocBuffer> buffer(CXX::MallocBuffer::create("abc", 3, *allocator));
  EXPECT_EQ(contents(buffer.get()), "abc");
}

TEST(SimpleBuffer, RefusesNullBytesAndBorrowsOtherwise) {
  EXPECT_EQ(runtimeErrorOf([] { CXX::SimpleBuffer::create(nullptr, 4); }),
            "Invalid parameter not satisfying: buffer != NULL");
  char text[] = "borrowed";
  Ref<CXX::SimpleBuffer> buffer(CXX::SimpleBuffer::create(text, 8));
  buffer->mutableBytes()[0] = 'B';
  EXPECT_EQ(text[0], 'B');
}

TEST(SubBuffer, BoundsAreCheckedAgainstTheParentWithoutOverflow) {
  Ref<CXX::MallocBuffer> parent(CXX::MallocBuffer::create("0123456789", 10));
  Ref<CXX::SubBuffer> whole(CXX::SubBuffer::create(parent.get(), 0, 10));
  EXPECT_EQ(contents(whole.get()), "0123456789");
  EXPECT_EQ(runtimeErrorOf([&] { CXX::SubBuffer::create(parent.get(), 1, 10); }),
            "offset + length > buffer size");
  EXPECT_EQ(runtimeErrorOf([&] { CXX::SubBuffer::create(parent.get(), 11, 0); }),
            "offset + length > buffer size");
  EXPECT_EQ(runtimeErrorOf([&] { CXX::SubBuffer::create(parent.get(), UINT64_MAX, 2); }),
            "offset + length > buffer size");
  EXPECT_EQ(runtimeErrorOf([&] { CXX::SubBuffer::create(parent.get(), 2, UINT64_MAX); }),
            "offset + length > buffer size");
  Ref<CXX::SubBuffer> end(CXX::SubBuffer::create(parent.get(), 10, 0));
  EXPECT_EQ(end->length(), 0u);
}

TEST(SubBuffer, KeepsItsParentAliveAndWindowsNest) {
  int32_t live = CXX::MallocBuffer::_MetaClass::instance.liveCount();
  CXX::MallocBuffer* parent = CXX::MallocBuffer::create("abcdefgh", 8);
  Ref<CXX::SubBuffer> middle(CXX::SubBuffer::create(parent, 2, 4));
  parent->release();
  EXPECT_EQ(contents(middle.get()), "cdef");  // the window still owns the parent
  Ref<CXX::SubBuffer> inner(CXX::SubBuffer::create(middle.get(), 1, 2));
  EXPECT_EQ(contents(inner.get()), "de");
  inner->mutableBytes()[0] = 'D';
  EXPECT_EQ(contents(middle.get()), "cDef");
  middle.reset();
  inner.reset();
  EXPECT_EQ(CXX::MallocBuffer::_MetaClass::instance.liveCount(), live);
}

TEST(SubBuffer, RepointingReleasesTheOldParent) {
  int32_t live = CXX::MallocBuffer::_MetaClass::instance.liveCount();
  CXX::MallocBuffer* first = CXX::MallocBuffer::create("first", 5);
  CXX::MallocBuffer* second = CXX::MallocBuffer::create("second", 6);
  Ref<CXX::SubBuffer> window(CXX::SubBuffer::create(first, 0, 5));
  first->release();
  EXPECT_EQ(runtimeErrorOf([&] { window->setBuffer(second, 0, 7); }),
            "offset + length > buffer size");
  EXPECT_EQ(window->parent(), first);  // a refused re-point changes nothing
  window->setBuffer(second, 1, 5);
  second->release();
  EXPECT_EQ(contents(window.get()), "econd");
  EXPECT_EQ(CXX::MallocBuffer::_MetaClass::instance.liveCount(), live + 1);
  window.reset();
  EXPECT_EQ(CXX::MallocBuffer::_MetaClass::instance.liveCount(), live);
}

TEST(MallocSubBuffer, ShowsAWindowAndFreesTheWholeBlock) {
  auto* block = static_cast<char*>(std::malloc(16));
  std::memcpy(block, "0123456789abcdef", 16);
  Ref<CXX::MallocSubBuffer> window(CXX::alloc<CXX::MallocSubBuffer>());
  window->init(block, 4, 6, &CXX::Allocator::standard());
  EXPECT_EQ(contents(window.get()), "456789");
  EXPECT_EQ(window->offset(), 4u);
  // Releasing frees the block from its start; a leak or bad free shows under the sanitizers.
}

}  // namespace
