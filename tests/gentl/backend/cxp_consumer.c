/* A GenTL consumer in C that knows only GenTL.h: it loads the CoaXPress
 * producer named on its command line, lists the boards and cameras, opens
 * the first camera, fetches the camera's GenApi description through the
 * URL of its remote port and validates it with xmllint against the GenApi
 * schema, reads DeviceModelName and writes Width through the remote port,
 * and closes everything. Exit code 0 when every step answered as expected;
 * GENAPI_SCHEMA_SKIP_CODE when every step did but the schema was not there
 * to validate with. */
#include "ConsumerCalls.h"
#include "GenApiSchema.h"

static int run(int* validated)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    PORT_HANDLE port;
    char id[256], text[256], output[4096];
    size_t size, length;
    uint32_t count, devices, i;
    INFO_DATATYPE type;
    uint64_t widthAddress, modelAddress;
    char* xml;
    unsigned char width[4] = {0, 0, 0x01, 0x40}; /* 320, big-endian */
    unsigned char readBack[4] = {0};

    CHECK(CALL(PGCInitLib, GCInitLib));
    CHECK(CALL(PTLOpen, TLOpen, &system));
    CHECK(CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, system, NULL, 1000));
    CHECK(CALL(PTLGetNumInterfaces, TLGetNumInterfaces, system, &count));
    EXPECT(count >= 1);
    for (i = 0; i < count; ++i) {
        size = sizeof id;
        CHECK(CALL(PTLGetInterfaceID, TLGetInterfaceID, system, i, id, &size));
        printf("interface %s\n", id);
    }
    size = sizeof id;
    CHECK(CALL(PTLGetInterfaceID, TLGetInterfaceID, system, 0, id, &size));
    CHECK(CALL(PTLOpenInterface, TLOpenInterface, system, id, &interface));
    CHECK(CALL(PIFUpdateDeviceList, IFUpdateDeviceList, interface, NULL, 1000));
    CHECK(CALL(PIFGetNumDevices, IFGetNumDevices, interface, &devices));
    EXPECT(devices >= 1);
    for (i = 0; i < devices; ++i) {
        size = sizeof id;
        CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, interface, i, id, &size));
        size = sizeof text;
        CHECK(CALL(PIFGetDeviceInfo, IFGetDeviceInfo, interface, id, DEVICE_INFO_MODEL, &type, text, &size));
        printf("device %s (%s)\n", id, text);
    }
    size = sizeof id;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, interface, 0, id, &size));
    CHECK(CALL(PIFOpenDevice, IFOpenDevice, interface, id, DEVICE_ACCESS_EXCLUSIVE, &device));
    CHECK(CALL(PDevGetPort, DevGetPort, device, &port));

    xml = cameraDescription(port);
    EXPECT(xml != NULL);
    length = strlen(xml);
    printf("description of %zu bytes\n", length);
    if (GenApiSchemaMissingReason()) {
        printf("skipped: %s\n", GenApiSchemaMissingReason());
        *validated = 0;
    } else if (GenApiSchemaValidate(xml, length, output, sizeof output) != 0) {
        fprintf(stderr, "the camera's description does not validate\n%s", output);
        free(xml);
        return 1;
    }
    modelAddress = nodeAddress(xml, "DeviceModelName");
    widthAddress = nodeAddress(xml, "WidthReg");
    free(xml);
    EXPECT(modelAddress != 0 && widthAddress != 0);

    memset(text, 0, sizeof text);
    size = 32;
    CHECK(CALL(PGCReadPort, GCReadPort, port, modelAddress, text, &size));
    printf("DeviceModelName %s\n", text);
    EXPECT(text[0] != '\0');
    size = sizeof width;
    CHECK(CALL(PGCWritePort, GCWritePort, port, widthAddress, width, &size));
    size = sizeof readBack;
    CHECK(CALL(PGCReadPort, GCReadPort, port, widthAddress, readBack, &size));
    EXPECT(memcmp(width, readBack, sizeof width) == 0);

    CHECK(closeFirstDevice(system, interface, device));
    return 0;
}

int main(int argc, char** argv)
{
    int result;
    int validated = 1;
    if (argc < 2) {
        fprintf(stderr, "usage: %s producer.cti\n", argv[0]);
        return 2;
    }
    if (loadProducer(argv[1]) != 0)
        return 2;
    result = run(&validated);
    if (dlclose(g_producer) != 0)
        return 3;
    return result == 0 && !validated ? GENAPI_SCHEMA_SKIP_CODE : result;
}
