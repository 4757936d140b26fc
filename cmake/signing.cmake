# Code signing in the build. packaging/make-test-pki.sh makes the test PKI once into build/test-signing/:
# a test root CA, the maker's certificate (test-signing), another maker's (other-maker), and for the trust
# tests a certificate of the maker's name on another key (same-name) and one under a root nothing trusts
# (untrusted). The control and every component, DLL and installer that the tests, the demo PC and the
# content server use are signed after they are linked: the maker's by the maker, the vendor installers
# by the other maker. A release signs the shipped CAB with its own .pfx (packaging/).
set(OMNI_TEST_PKI ${CMAKE_BINARY_DIR}/test-signing)
set(OMNI_TEST_ROOT_CER ${OMNI_TEST_PKI}/test-root.cer)
set(OMNI_TEST_ROOT_PEM ${OMNI_TEST_PKI}/test-root.pem)
set(OMNI_MAKER_PFX ${OMNI_TEST_PKI}/test-signing.pfx)
set(OMNI_OTHER_MAKER_PFX ${OMNI_TEST_PKI}/other-maker.pfx)
set(OMNI_OTHER_MAKER_CER ${OMNI_TEST_PKI}/other-maker.cer)
set(OMNI_UNTRUSTED_CER ${OMNI_TEST_PKI}/untrusted.cer)
add_custom_command(OUTPUT ${OMNI_TEST_ROOT_CER} ${OMNI_TEST_ROOT_PEM} ${OMNI_MAKER_PFX} ${OMNI_OTHER_MAKER_PFX}
                          ${OMNI_OTHER_MAKER_CER} ${OMNI_UNTRUSTED_CER}
  COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make-test-pki.sh ${OMNI_TEST_PKI}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/make-test-pki.sh
  COMMENT "Making the test PKI")
add_custom_target(omni_test_pki DEPENDS ${OMNI_TEST_ROOT_CER} ${OMNI_MAKER_PFX} ${OMNI_OTHER_MAKER_PFX})

# omni_sign_code(<target> <pfx>): the target's file is signed in place each time it is linked.
function(omni_sign_code target pfx)
  add_dependencies(${target} omni_test_pki)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/sign-code.sh ${pfx} $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
