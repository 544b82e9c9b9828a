package jni.com.quarvo.testsupport;

import static org.junit.jupiter.api.Assertions.assertEquals;

import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/** Runs the fidelity natives in this VM: the expectations the test JNI host must meet too. */
class JniFidelityTest {
    @BeforeAll
    static void load() {
        System.loadLibrary("jnifidelity");
    }

    @Test
    void strings() {
        assertEquals("", JniFidelity.strings(JniFidelity.SAMPLE));
    }

    @Test
    void arrays() {
        byte[] bytes = {1, 2, 3};
        assertEquals("", JniFidelity.arrays(bytes));
        assertEquals(9, bytes[0], "a release with mode 0 copies back");
        assertEquals(2, bytes[1], "a release with JNI_ABORT does not");
    }

    @Test
    void exceptions() {
        assertEquals("", JniFidelity.exceptions());
    }

    @Test
    void collections() {
        assertEquals("", JniFidelity.collections());
    }

    @Test
    void references() {
        assertEquals("", JniFidelity.references());
    }

    @Test
    void threads() {
        assertEquals("", JniFidelity.threads());
    }
}
