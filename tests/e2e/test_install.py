"""A whole install with the real installer under Wine: real X clicks on the
skinned window, the package from the local service's nginx storage, and the
results checked on disk, in the registry and in the process list."""

import harness
import window_view as wv
from harness import check, wait_for
from installer_state import (INSTALL_DIR, LOCATION_KEY, UNINSTALL_KEY, client_running, reg_query, released_package,
                             sha256)
from served_packages import check_holds_package, package_files, temp_package


def test_a_complete_install_from_the_local_service(prefix, installers):
    installer = installers.start("install")
    view = wv.settled_window()
    check((view.width, view.height) == (988, 653), f"the window is {view.width}x{view.height}, not 988x653")
    harness.screenshot("install_start_view")

    wv.press_install(installer, view)
    wait_for(lambda: (INSTALL_DIR / "Orvane.exe").exists(), 180,
             "the client never arrived in the install folder")
    wait_for(lambda: reg_query(LOCATION_KEY, "InstallLocation"), 60,
             "the install location was never registered")
    view.wait_for_finished(30, "no green done button on the finished view")
    harness.screenshot("install_finished_view")

    downloaded = temp_package()
    check(downloaded.exists(), f"no {downloaded.name} in the temporary folder")
    source = released_package()
    check(source is not None, "the local service has no released package")
    check(sha256(downloaded) == sha256(source), "the downloaded package differs from the stored one")
    files = package_files(source.read_bytes())
    check(not all(name.isascii() for name in files), "the package has no Chinese name")
    check_holds_package(INSTALL_DIR, source.read_bytes(), "the install")

    location = reg_query(LOCATION_KEY, "InstallLocation")
    check(location.lower().endswith(r"program files (x86)\orvanecloud"), f"InstallLocation is {location!r}")
    check(reg_query(UNINSTALL_KEY, "DisplayName"),
          "no uninstall entry")

    view.click(wv.DONE_BTN)
    code = installer.wait(30)
    check(code == 1, f"the installer ended with {code}, not 1")
    wait_for(client_running, 20, "the installed client was not started by done_btn with run_check selected")
