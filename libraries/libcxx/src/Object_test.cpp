// Counting, class membership, descriptions and live-instance bookkeeping of CXX::Object.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "CXXRuntime/CXXBase"

namespace zoo {

// Animal <- Dog, Animal <- Cat; dealloc counts how often it runs.
class Animal : public CXX::Object {
  CXX_DECLARE_CLASS(Animal)
 public:
  static int deallocs;
  void dealloc() override {
    ++deallocs;
    Object::dealloc();
  }
};
class Dog : public Animal {
  CXX_DECLARE_CLASS(Dog)
};
class Cat : public Animal {
  CXX_DECLARE_CLASS(Cat)
};

int Animal::deallocs = 0;
CXX_DEFINE_CLASS(Animal, "zoo", "Animal", CXX::Object)
CXX_DEFINE_CLASS(Dog, "zoo", "Dog", Animal)
CXX_DEFINE_CLASS(Cat, "zoo", "Cat", Animal)

}  // namespace zoo

namespace {

using CXX::Ref;
using zoo::Animal;
using zoo::Cat;
using zoo::Dog;

TEST(ObjectCounting, NewObjectHasOneOwnerAndLastReleaseDeallocsOnce) {
  int before = Animal::deallocs;
  Dog* dog = CXX::alloc<Dog>();
  EXPECT_EQ(dog->retainCount(), 1);
  dog->retain();
  EXPECT_EQ(dog->retainCount(), 2);
  dog->release();
  EXPECT_EQ(Animal::deallocs, before);
  dog->release();
  EXPECT_EQ(Animal::deallocs, before + 1);
}

TEST(ObjectCounting, StaticObjectsAndClassRecordsAreNotCounted) {
  CXX::Allocator& standard = CXX::Allocator::standard();
  EXPECT_EQ(standard.retainCount(), 0);
  for (int i = 0; i < 3; ++i) standard.release();
  standard.retain();
  EXPECT_EQ(standard.retainCount(), 0);
  EXPECT_EQ(standard.heap(), CXX::Allocator::kStandardHeap);

  CXX::MetaClass& record = Dog::_MetaClass::instance;
  record.retain();
  record.release();
  record.release();
  EXPECT_EQ(record.retainCount(), 0);
  EXPECT_EQ(CXXMetaClassMeta::instance.retainCount(), 0);
}

TEST(ObjectCounting, RetainAndReleaseFromManyThreadsKeepTheCountExact) {
  int before = Animal::deallocs;
  Dog* dog = CXX::alloc<Dog>();
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([dog] {
      for (int i = 0; i < kRounds; ++i) dog->retain();
      for (int i = 0; i < kRounds; ++i) dog->release();
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(dog->retainCount(), 1);
  EXPECT_EQ(Animal::deallocs, before);
  dog->release();
  EXPECT_EQ(Animal::deallocs, before + 1);
}

TEST(ObjectCounting, LastReleaseRacingOnManyThreadsDeallocsExactlyOnce) {
  int before = Animal::deallocs;
  constexpr int kThreads = 4;
  Dog* dog = CXX::alloc<Dog>();
  for (int t = 1; t < kThreads; ++t) dog->retain();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back([dog] { dog->release(); });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(Animal::deallocs, before + 1);
}

TEST(ClassMembership, InstancesAnswerForTheirClassAndAncestors) {
  Ref<Dog> dog(CXX::alloc<Dog>());
  EXPECT_FALSE(dog->isKindOf(nullptr));
  EXPECT_TRUE(dog->isKindOf(&Dog::_MetaClass::instance));
  EXPECT_TRUE(dog->isKindOf(&Animal::_MetaClass::instance));
  EXPECT_TRUE(dog->isKindOf(&CXX::Object::_MetaClass::instance));
  EXPECT_FALSE(dog->isKindOf(&Cat::_MetaClass::instance));
  EXPECT_TRUE(dog->isMemberOf(&Dog::_MetaClass::instance));
  EXPECT_FALSE(dog->isMemberOf(&Animal::_MetaClass::instance));
  EXPECT_EQ(dog->metaClass(), &Dog::_MetaClass::instance);
  EXPECT_EQ(dog->superclass(), &Animal::_MetaClass::instance);
}

TEST(ClassMembership, ClassRecordsAnswerForTheirClassChain) {
  CXX::MetaClass& dog = Dog::_MetaClass::instance;
  EXPECT_TRUE(dog.isKindOf(&dog));
  EXPECT_TRUE(dog.isKindOf(&Animal::_MetaClass::instance));
  EXPECT_TRUE(dog.isKindOf(&CXX::Object::_MetaClass::instance));
  EXPECT_FALSE(dog.isKindOf(&Cat::_MetaClass::instance));
  EXPECT_FALSE(dog.isKindOf(nullptr));
  EXPECT_FALSE(Animal::_MetaClass::instance.isKindOf(&dog));
  EXPECT_TRUE(dog.isMemberOf(&dog));
  EXPECT_EQ(dog.superclass(), &Animal::_MetaClass::instance);
  EXPECT_EQ(CXX::Object::_MetaClass::instance.superclass(), nullptr);
  EXPECT_EQ(dog.metaClass(), &CXXMetaClassMeta::instance);
  EXPECT_EQ(CXXMetaClassMeta::instance.superclass(), nullptr);
}

TEST(ObjectIdentity, EqualityIsIdentityAndHashIsMultiplicative) {
  Ref<Dog> a(CXX::alloc<Dog>());
  Ref<Dog> b(CXX::alloc<Dog>());
  EXPECT_TRUE(a->isEqual(a.get()));
  EXPECT_FALSE(a->isEqual(b.get()));
  EXPECT_FALSE(a->isEqual(nullptr));
  uint64_t address = reinterpret_cast<uintptr_t>(a.get());
  EXPECT_EQ(a->hash(), address * 0x9E3779B1ULL);
  EXPECT_EQ(Dog::_MetaClass::instance.hash(),
            reinterpret_cast<uintptr_t>(&Dog::_MetaClass::instance) * 0x9E3779B1ULL);
}

TEST(ObjectIdentity, DescriptionNamesTheClassAndAddress) {
  Ref<Cat> cat(CXX::alloc<Cat>());
  char* text = cat->description();
  ASSERT_NE(text, nullptr);
  const void* address = cat.get();
  EXPECT_EQ(std::string(text), CXX::formatString("<zoo::Cat %p>", address));
  EXPECT_EQ(text[0], '<');
  std::free(text);

  char* name = Cat::_MetaClass::instance.description();
  EXPECT_STREQ(name, "zoo::Cat");
  EXPECT_NE(name, Cat::_MetaClass::instance.name());
  std::free(name);
}

TEST(LiveCount, FirstAndLastInstancesMoveAncestorsOnlyWhenASubtreeChanges) {
  CXX::MetaClass& animal = Animal::_MetaClass::instance;
  CXX::MetaClass& dog = Dog::_MetaClass::instance;
  CXX::MetaClass& cat = Cat::_MetaClass::instance;
  CXX::MetaClass& object = CXX::Object::_MetaClass::instance;
  ASSERT_EQ(dog.liveCount(), 0);
  ASSERT_EQ(animal.liveCount(), 0);
  int32_t objectBefore = object.liveCount();

  Dog* first = CXX::alloc<Dog>();
  EXPECT_EQ(dog.liveCount(), 1);
  EXPECT_EQ(animal.liveCount(), 1);  // Dog became live
  EXPECT_EQ(object.liveCount(), objectBefore + 1);  // Animal became live

  Dog* second = CXX::alloc<Dog>();
  Cat* cat1 = CXX::alloc<Cat>();
  EXPECT_EQ(dog.liveCount(), 2);
  EXPECT_EQ(cat.liveCount(), 1);
  EXPECT_EQ(animal.liveCount(), 2);  // two live subclasses
  EXPECT_EQ(object.liveCount(), objectBefore + 1);

  Animal* plain = CXX::alloc<Animal>();
  EXPECT_EQ(animal.liveCount(), 3);

  first->release();
  EXPECT_EQ(dog.liveCount(), 1);
  EXPECT_EQ(animal.liveCount(), 3);
  second->release();
  EXPECT_EQ(dog.liveCount(), 0);
  EXPECT_EQ(animal.liveCount(), 2);
  cat1->release();
  plain->release();
  EXPECT_EQ(animal.liveCount(), 0);
  EXPECT_EQ(object.liveCount(), objectBefore);
}

TEST(Ref, ReleasesOnScopeExitAndHandsOverOnTake) {
  int before = Animal::deallocs;
  { Ref<Animal> held(CXX::alloc<Animal>()); }
  EXPECT_EQ(Animal::deallocs, before + 1);
  Ref<Animal> held(CXX::alloc<Animal>());
  Animal* raw = held.take();
  EXPECT_FALSE(held);
  EXPECT_EQ(raw->retainCount(), 1);
  raw->release();
  EXPECT_EQ(Animal::deallocs, before + 2);
}

TEST(StoredReferences, ReplacingRetainsTheNewBeforeReleasingTheOld) {
  Dog* slot = nullptr;
  Dog* dog = CXX::alloc<Dog>();
  CXX::assignRetained(slot, dog);
  EXPECT_EQ(dog->retainCount(), 2);
  CXX::assignRetained(slot, dog);  // storing what is held already must not free it
  EXPECT_EQ(dog->retainCount(), 2);
  dog->release();
  EXPECT_EQ(slot->retainCount(), 1);
  CXX::releaseAndClear(slot);
  EXPECT_EQ(slot, nullptr);
}

}  // namespace
