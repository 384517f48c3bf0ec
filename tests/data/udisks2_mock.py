'''A UDisks2 service for tests: file systems on block devices, and the drives that hold them.

python-dbusmock loads this template with parameters such as
  {"filesystems": [{"block": "sdb1", "drive": "Card_Reader", "mount_points": ["/media/card"],
                    "unmount_error": "target is busy"}],
   "drives": [{"drive": "Card_Reader", "can_power_off": true, "power_off_error": ""}]}
An error text makes that call fail with the text, as UDisks2 does when it refuses. A drive
refuses to power off while one of its file systems is mounted. dbusmock logs every call;
org.freedesktop.DBus.Mock.GetMethodCalls on an object's path reads them back.
'''

import dbus

from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
DRIVE = 'org.freedesktop.UDisks2.Drive'
FAILED = 'org.freedesktop.UDisks2.Error.Failed'


def refuse(error):
    raise dbus.exceptions.DBusException(error, name=FAILED)


def mount_points(points):
    return dbus.Array([dbus.ByteArray(p.encode() + b'\0') for p in points], signature='ay')


def unmount_method(error):
    def unmount(self, _options):
        if error:
            refuse(error)
        self.Set(FILESYSTEM, 'MountPoints', dbus.Array([], signature='ay'))
    return unmount


def power_off_method(error):
    def power_off(self, _options):
        if error:
            refuse(error)
        for obj in mockobject.objects.values():
            if (obj.props.get(BLOCK, {}).get('Drive') == self.path and
                    obj.props.get(FILESYSTEM, {}).get('MountPoints')):
                refuse('Error powering off drive: a file system is still mounted')
    return power_off


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {'Version': '2.9.4'})
    for drive in parameters.get('drives', []):
        path = MAIN_OBJ + '/drives/' + drive['drive']
        mock.AddObject(path, DRIVE, {
            'CanPowerOff': dbus.Boolean(drive.get('can_power_off', True)),
            'Removable': dbus.Boolean(True),
        }, [])
        mockobject.objects[path].AddMethod(DRIVE, 'PowerOff', 'a{sv}', '',
                                           power_off_method(drive.get('power_off_error')))

    for filesystem in parameters.get('filesystems', []):
        path = MAIN_OBJ + '/block_devices/' + filesystem['block']
        drive = filesystem.get('drive')
        mock.AddObject(path, BLOCK, {
            'Device': dbus.ByteArray(('/dev/' + filesystem['block']).encode() + b'\0'),
            'Drive': dbus.ObjectPath(MAIN_OBJ + '/drives/' + drive if drive else '/'),
        }, [])
        block = mockobject.objects[path]
        block.AddProperties(FILESYSTEM,
                            {'MountPoints': mount_points(filesystem.get('mount_points', []))})
        block.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '',
                        unmount_method(filesystem.get('unmount_error')))
