# Extra build steps of the resources tests (included by orv_test_folder):
# the fixture trees, and the fixture archive embedded in the test program as
# THEME 131, the way the installer carries its skins.
set(fixture_dir ${CMAKE_BINARY_DIR}/tests/resources_fixture)
set(fixture_src ${CMAKE_CURRENT_SOURCE_DIR}/resources)
file(GLOB_RECURSE fixture_inputs CONFIGURE_DEPENDS ${fixture_src}/data/*)
add_custom_command(OUTPUT ${fixture_dir}/theme.zip
  COMMAND ${fixture_src}/make-fixture ${fixture_src}/data ${fixture_dir}
  DEPENDS ${fixture_inputs} ${fixture_src}/make-fixture
  COMMENT "Making the resources test fixture")
add_custom_target(resources_fixture DEPENDS ${fixture_dir}/theme.zip)
set(fixture_rc ${CMAKE_CURRENT_BINARY_DIR}/resources_theme.rc)
file(WRITE ${fixture_rc} "131 THEME \"${fixture_dir}/theme.zip\"\n")
set_source_files_properties(${fixture_rc} PROPERTIES OBJECT_DEPENDS ${fixture_dir}/theme.zip)
target_sources(${target} PRIVATE ${fixture_rc})
add_dependencies(${target} resources_fixture)
