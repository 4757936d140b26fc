#include "report/xml_dom.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "report/msxml_ids.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

class XmlDomTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(com_.result())); }

    // diagnosis > group(class=basic) > item > subject, resultmsg (Korean, with < and &), solutionmsg(type, value)
    void BuildSample(XmlDom& dom) {
        ASSERT_EQ(dom.Create(), S_OK);
        com_ptr<IXMLDOMElement> root, group, item, element;
        ASSERT_EQ(dom.CreateElement("diagnosis", root), S_OK);
        ASSERT_EQ(dom.AppendElement(root.get(), "group", "", group), S_OK);
        ASSERT_EQ(dom.SetAttribute(group.get(), "class", "basic"), S_OK);
        ASSERT_EQ(dom.AppendElement(group.get(), "item", "", item), S_OK);
        ASSERT_EQ(dom.AppendElement(item.get(), "subject", "윈도우 운영체제 (Win 98 SE 이상)", element), S_OK);
        ASSERT_EQ(dom.AppendElement(item.get(), "resultmsg", "a < b & c", element), S_OK);
        ASSERT_EQ(dom.AppendElement(item.get(), "solutionmsg", "", element), S_OK);
        ASSERT_EQ(dom.SetAttribute(element.get(), "type", "link"), S_OK);
        ASSERT_EQ(dom.SetAttribute(element.get(), "value", ""), S_OK);
        ASSERT_EQ(dom.AppendToDocument(root.get()), S_OK);
    }

    com_init com_;
};

// Loads UTF-8 text into a fresh DOM, to check the output with a parser rather than by text.
com_ptr<IXMLDOMDocument> Parse(const std::string& utf8) {
    com_ptr<IXMLDOMDocument> doc;
    CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, doc.put_void());
    if (!doc) return doc;
    doc->put_preserveWhiteSpace(VARIANT_TRUE);
    // Strip the declaration: loadXML takes UTF-16 text, which an encoding="UTF-8" declaration contradicts.
    std::string body = utf8.substr(utf8.find("?>") + 2);
    std::wstring wide = Widen(body);
    unique_bstr text(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (FAILED(doc->loadXML(text.get(), &ok)) || ok != VARIANT_TRUE) doc.reset();
    return doc;
}

int CountWhitespaceTextBetweenElements(IXMLDOMNode* node) {
    int count = 0;
    com_ptr<IXMLDOMNodeList> children;
    node->get_childNodes(children.addressof());
    long length = 0;
    children->get_length(&length);
    bool hasElementChild = false;
    for (long i = 0; i < length; ++i) {
        com_ptr<IXMLDOMNode> child;
        children->get_item(i, child.addressof());
        DOMNodeType type;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT) hasElementChild = true;
    }
    for (long i = 0; i < length; ++i) {
        com_ptr<IXMLDOMNode> child;
        children->get_item(i, child.addressof());
        DOMNodeType type;
        child->get_nodeType(&type);
        if (type == NODE_TEXT && hasElementChild) ++count;
        if (type == NODE_ELEMENT) count += CountWhitespaceTextBetweenElements(child.get());
    }
    return count;
}

TEST_F(XmlDomTest, SerializesDeclarationFirstAndOneRootWithoutIndentation) {
    XmlDom dom;
    BuildSample(dom);
    std::string text;
    ASSERT_EQ(dom.Serialize(text), S_OK);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_EQ(text.find("\n", text.find("?>") + 3), std::string::npos) << "indented output";
    EXPECT_EQ(text.back(), '>');

    com_ptr<IXMLDOMDocument> parsed = Parse(text);
    ASSERT_TRUE(parsed);
    com_ptr<IXMLDOMElement> root;
    parsed->get_documentElement(root.addressof());
    unique_bstr name;
    root->get_tagName(name.addressof());
    EXPECT_EQ(Narrow(name.get(), SysStringLen(name.get())), "diagnosis");
    EXPECT_EQ(CountWhitespaceTextBetweenElements(root.get()), 0);
}

TEST_F(XmlDomTest, EscapesMarkupAndKeepsKoreanBytes) {
    XmlDom dom;
    BuildSample(dom);
    std::string text;
    ASSERT_EQ(dom.Serialize(text), S_OK);
    EXPECT_NE(text.find("a &lt; b &amp; c"), std::string::npos);
    EXPECT_NE(text.find("윈도우 운영체제 (Win 98 SE 이상)"), std::string::npos);
    EXPECT_NE(text.find("type=\"link\" value=\"\""), std::string::npos);
}

TEST_F(XmlDomTest, SaveWritesUtf8FileWithItsDeclaration) {
    test::ScratchFolder folder;
    XmlDom dom;
    BuildSample(dom);
    ASSERT_EQ(dom.Save(folder.file("report.xml")), S_OK);
    std::string bytes = test::ReadBytes(folder.file("report.xml"));
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(bytes.find("윈도우 운영체제"), std::string::npos);
}

TEST_F(XmlDomTest, SaveIntoMissingFolderFailsAndWritesNothing) {
    test::ScratchFolder folder;
    XmlDom dom;
    BuildSample(dom);
    std::string path = folder.file("missing\\report.xml");
    EXPECT_TRUE(FAILED(dom.Save(path)));
    EXPECT_FALSE(test::FileExists(path));
}

// Memory pressure for BSTRs: every request to the task allocator fails while a scope is registered.
class FailingTaskAllocator final : public IMallocSpy {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IMallocSpy ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T) override { return 0; }  // 0 makes the allocation fail
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override { return request; }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
        *newRequest = request;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

class AllocationsFail {
public:
    AllocationsFail() {
        // Freed BSTRs are otherwise kept and handed out again without asking the allocator.
        using SetOaNoCacheFn = void(WINAPI*)();
        FARPROC noCache = GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), "SetOaNoCache");
        if (noCache) reinterpret_cast<SetOaNoCacheFn>(noCache)();
        static FailingTaskAllocator spy;  // outlives a revocation the system may defer
        registered_ = SUCCEEDED(CoRegisterMallocSpy(&spy));
    }
    ~AllocationsFail() {
        if (registered_) CoRevokeMallocSpy();
    }
    bool registered() const { return registered_; }

private:
    bool registered_ = false;
};

TEST_F(XmlDomTest, TextsThatCannotBeAllocatedFailInsteadOfComingOutBlank) {
    XmlDom dom;
    ASSERT_EQ(dom.Create(), S_OK);
    com_ptr<IXMLDOMElement> subject, another;
    ASSERT_EQ(dom.CreateElement("subject", subject), S_OK);
    HRESULT text = S_OK, created = S_OK;
    {
        AllocationsFail failing;
        ASSERT_TRUE(failing.registered());
        text = dom.SetText(subject.get(), "Windows 7");
        created = dom.CreateElement("resultmsg", another);
    }
    EXPECT_EQ(text, E_OUTOFMEMORY);
    EXPECT_EQ(created, E_OUTOFMEMORY);
    EXPECT_FALSE(another);
}

TEST_F(XmlDomTest, CallsBeforeCreateFailWithoutCrashing) {
    XmlDom dom;
    com_ptr<IXMLDOMElement> element;
    EXPECT_TRUE(FAILED(dom.CreateElement("x", element)));
    std::string text = "previous";
    EXPECT_TRUE(FAILED(dom.Serialize(text)));
    EXPECT_TRUE(FAILED(dom.Save("C:\\x.xml")));
}

}  // namespace
}  // namespace omni
