// The class registry: qualified and bare names, ambiguity, and module records.
#include <gtest/gtest.h>

#include "CXXRuntime/CXXBase"

// Two classes named Widget in different namespaces, and one class with no namespace.
namespace alpha {
class Widget : public CXX::Object {
  CXX_DECLARE_CLASS(Widget)
};
CXX_DEFINE_CLASS(Widget, "alpha", "Widget", CXX::Object)
}  // namespace alpha

namespace beta {
class Widget : public CXX::Object {
  CXX_DECLARE_CLASS(Widget)
};
CXX_DEFINE_CLASS(Widget, "beta", "Widget", CXX::Object)
}  // namespace beta

class Gadget : public CXX::Object {
  CXX_DECLARE_CLASS(Gadget)
};
CXX_DEFINE_CLASS(Gadget, "", "Gadget", CXX::Object)

class Gizmo : public CXX::Object {
  CXX_DECLARE_CLASS(Gizmo)
};
CXX_DEFINE_CLASS(Gizmo, nullptr, "Gizmo", CXX::Object)

namespace {

TEST(ClassRegistry, QualifiedNamesResolveEvenWhenBareNamesCollide) {
  EXPECT_EQ(CXX::MetaClass::withQualifiedName("alpha::Widget"), &alpha::Widget::_MetaClass::instance);
  EXPECT_EQ(CXX::MetaClass::withQualifiedName("beta::Widget"), &beta::Widget::_MetaClass::instance);
  EXPECT_EQ(CXX::MetaClass::withClassName("Widget"), nullptr);
  EXPECT_EQ(CXX::MetaClass::withQualifiedName("gamma::Widget"), nullptr);
  EXPECT_EQ(CXX::MetaClass::withQualifiedName(nullptr), nullptr);
}

TEST(ClassRegistry, EmptyOrMissingNamespaceGivesTheBareName) {
  EXPECT_STREQ(Gadget::_MetaClass::instance.name(), "Gadget");
  EXPECT_STREQ(Gizmo::_MetaClass::instance.name(), "Gizmo");
  EXPECT_EQ(CXX::MetaClass::withQualifiedName("Gadget"), &Gadget::_MetaClass::instance);
  EXPECT_EQ(CXX::MetaClass::withClassName("Gadget"), &Gadget::_MetaClass::instance);
}

TEST(ClassRegistry, RuntimeClassesAreRegisteredWithTheirParents) {
  struct Expected {
    const char* name;
    const char* parent;
    uint32_t size;
  } expected[] = {
      {"CXX::Object", nullptr, sizeof(CXX::Object)},
      {"CXX::Allocator", "CXX::Object", sizeof(CXX::Allocator)},
      {"CXX::Buffer", "CXX::Object", sizeof(CXX::Buffer)},
      {"CXX::SubBuffer", "CXX::Buffer", sizeof(CXX::SubBuffer)},
      {"CXX::SimpleBuffer", "CXX::Buffer", sizeof(CXX::SimpleBuffer)},
      {"CXX::MallocBuffer", "CXX::SimpleBuffer", sizeof(CXX::MallocBuffer)},
      {"CXX::MappedBuffer", "CXX::SimpleBuffer", sizeof(CXX::MappedBuffer)},
      {"CXX::MallocSubBuffer", "CXX::MallocBuffer", sizeof(CXX::MallocSubBuffer)},
      {"CXX::MetaClass", nullptr, sizeof(CXX::MetaClass)},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    CXX::MetaClass* record = CXX::MetaClass::withQualifiedName(e.name);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->name(), e.name);
    EXPECT_EQ(record->instanceSize(), e.size);
    EXPECT_EQ(record->superclass(), CXX::MetaClass::withQualifiedName(e.parent));
  }
  EXPECT_EQ(CXX::MetaClass::withQualifiedName("CXX::MetaClass"), &CXXMetaClassMeta::instance);
}

TEST(ClassRegistry, RecordsKnowTheModuleThatHoldsThem) {
  const CXX::ModuleRecord* module = alpha::Widget::_MetaClass::instance.module();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(CXX::Object::_MetaClass::instance.module(), module);  // the runtime is linked in
  EXPECT_LE(module->base, reinterpret_cast<uintptr_t>(&alpha::Widget::_MetaClass::instance));

  std::vector<CXX::ModuleRecord> modules = CXX::MetaClass::registeredModules();
  ASSERT_FALSE(modules.empty());
  for (size_t i = 1; i < modules.size(); ++i) EXPECT_LT(modules[i - 1].base, modules[i].base);
  uint32_t total = 0;
  for (const CXX::ModuleRecord& m : modules) total += m.classCount;
  // Nine runtime records, four declared here, three in Object_test and one in
  // FatalAssertion_test.
  EXPECT_EQ(total, 17u);
  EXPECT_EQ(module->classCount, total);
}

}  // namespace
