# Code signing in the build. packaging/make-test-pki.sh makes the test PKI once into build/test-signing/:
# a test root CA with its revocation list, the maker's certificate (test-signing), another maker's
# (other-maker), and for the trust tests a certificate of the maker's name on another key (same-name), one
# under a root nothing trusts (untrusted), a Trusted Publisher under that root (orphan-publisher), one
# trusted by the user only (user-publisher) and a revoked one (revoked). The control, Tarrow and every
# component, DLL and installer that the tests, the demo PC and the
# content server use are signed after they are linked: the maker's by the maker, the vendor installers
# by the other maker. A release signs the shipped CAB with its own .pfx (packaging/).
set(OMNI_TEST_PKI ${CMAKE_BINARY_DIR}/test-signing)
set(OMNI_TEST_ROOT_CER ${OMNI_TEST_PKI}/test-root.cer)
set(OMNI_TEST_ROOT_PEM ${OMNI_TEST_PKI}/test-root.pem)
set(OMNI_MAKER_PFX ${OMNI_TEST_PKI}/test-signing.pfx)
set(OMNI_OTHER_MAKER_PFX ${OMNI_TEST_PKI}/other-maker.pfx)
set(OMNI_OTHER_MAKER_CER ${OMNI_TEST_PKI}/other-maker.cer)
set(OMNI_UNTRUSTED_CER ${OMNI_TEST_PKI}/untrusted.cer)
set(OMNI_ORPHAN_PUBLISHER_CER ${OMNI_TEST_PKI}/orphan-publisher.cer)
set(OMNI_USER_PUBLISHER_CER ${OMNI_TEST_PKI}/user-publisher.cer)
set(OMNI_REVOKED_CER ${OMNI_TEST_PKI}/revoked.cer)
set(OMNI_TEST_ROOT_CRL ${OMNI_TEST_PKI}/test-root.crl)
add_custom_command(OUTPUT ${OMNI_TEST_ROOT_CER} ${OMNI_TEST_ROOT_PEM} ${OMNI_MAKER_PFX} ${OMNI_OTHER_MAKER_PFX}
                          ${OMNI_OTHER_MAKER_CER} ${OMNI_UNTRUSTED_CER} ${OMNI_ORPHAN_PUBLISHER_CER}
                          ${OMNI_USER_PUBLISHER_CER} ${OMNI_REVOKED_CER} ${OMNI_TEST_ROOT_CRL}
  COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make-test-pki.sh ${OMNI_TEST_PKI}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/make-test-pki.sh
  COMMENT "Making the test PKI")
add_custom_target(omni_test_pki DEPENDS ${OMNI_TEST_ROOT_CER} ${OMNI_MAKER_PFX} ${OMNI_OTHER_MAKER_PFX})

# omni_sign_code(<target> <pfx>): the target's file is signed in place each time it is linked.
function(omni_sign_code target pfx)
  add_dependencies(${target} omni_test_pki)
  # A new test PKI links the target again, so that it is signed again with the new certificate.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${pfx})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/sign-code.sh ${pfx} $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
