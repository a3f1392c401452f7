"""A whole install with the real installer under Wine: real X clicks on the
skinned window, the package from the local service's nginx storage, and the
results checked on disk, in the registry and in the process list."""

import datetime
import time
import zipfile

import harness
from harness import Installer, check, wait_for
from installer_state import (DRIVE_C, INSTALL_DIR, LOCATION_KEY, UNINSTALL_KEY, clean_install_state,
                             client_running, green_button, installer_window, reg_query,
                             released_package, sha256)


def test_a_complete_install_from_the_local_service():
    clean_install_state()
    folder = harness.workdir("install")
    installer = Installer(folder)
    try:
        window = wait_for(installer_window, 90, "the installer window never appeared")
        x, y, width, height = harness.window_geometry(window)
        check((width, height) == (988, 653), f"the window is {width}x{height}, not 988x653")
        time.sleep(1.5)  # past the first-paint fade-in, for a true picture of the view
        harness.screenshot("install_start_view")

        button = wait_for(lambda: green_button(window, 300), 20, "no green install button on the start view")
        harness.click(*button)
        wait_for(lambda: (INSTALL_DIR / "Orvane.exe").exists(), 180,
                 "the client never arrived in the install folder")
        wait_for(lambda: reg_query(LOCATION_KEY, "InstallLocation"), 60,
                 "the install location was never registered")
        harness.screenshot("install_finished_view")

        stamp = datetime.date.today().strftime("%Y_%m_%d")
        downloaded = list(DRIVE_C.glob(f"users/*/Temp/{stamp}.zip"))
        check(downloaded, f"no {stamp}.zip in the temporary folder")
        source = released_package()
        check(source is not None, "the local service has no released package")
        check(sha256(downloaded[0]) == sha256(source), "the downloaded package differs from the stored one")
        with zipfile.ZipFile(source) as archive:
            for entry in archive.infolist():
                if entry.is_dir() or not entry.filename.isascii():
                    continue
                installed = INSTALL_DIR / entry.filename
                check(installed.exists(), f"{entry.filename} was not installed")
                check(installed.read_bytes() == archive.read(entry), f"{entry.filename} differs from the package")

        location = reg_query(LOCATION_KEY, "InstallLocation")
        check(location.lower().endswith(r"program files (x86)\orvanecloud"), f"InstallLocation is {location!r}")
        check(reg_query(UNINSTALL_KEY, "DisplayName"),
              "no uninstall entry")

        done = wait_for(lambda: green_button(window, 300), 30, "no green done button on the finished view")
        harness.click(*done)
        code = installer.wait(30)
        check(code == 1, f"the installer ended with {code}, not 1")
        wait_for(client_running, 20, "the installed client was not started by done_btn with run_check selected")
    finally:
        installer.kill()
        clean_install_state()


if __name__ == "__main__":
    harness.main([test_a_complete_install_from_the_local_service])
