import java.io.BufferedOutputStream;
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.OutputStream;
import java.io.PrintStream;
import java.io.PrintWriter;
import java.io.StringWriter;
import java.lang.reflect.Constructor;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Optional;
import java.util.spi.ToolProvider;

/**
 * Describes classes with the JDK's javap inside one JVM, so that a generation run pays the
 * JVM start-up once instead of once per class.
 *
 * Arguments: the options to put before each class name (for instance -s -public -classpath P).
 * Requests on standard input: one class name per line (UTF-8). For each, the answer on
 * standard output is a line "exit-status output-length error-length" followed by the output
 * bytes and the error bytes, as a javap process would have written them to its standard
 * output and standard error. The service ends at the end of its input.
 */
public final class JavapService {
    /** One javap run: exit status, standard output, standard error. */
    private record Result(int status, byte[] out, byte[] err) {}

    private interface Javap {
        Result run(String[] arguments) throws Exception;
    }

    private JavapService() {}

    public static void main(String[] args) throws IOException {
        OutputStream answers = new BufferedOutputStream(new FileOutputStream(FileDescriptor.out));
        Javap javap = taskJavap();
        if (javap == null) javap = toolProviderJavap();
        if (javap == null) {
            System.exit(2);
        }
        BufferedReader requests =
                new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
        String className;
        while ((className = requests.readLine()) != null) {
            List<String> arguments = new ArrayList<>(List.of(args));
            arguments.add(className);
            Result result;
            try {
                result = javap.run(arguments.toArray(new String[0]));
            } catch (Exception | Error e) {
                // A crash of the tool fails this class only, like a javap process would.
                result = new Result(1, new byte[0], (e + System.lineSeparator()).getBytes(Charset.defaultCharset()));
            }
            String header = result.status() + " " + result.out().length + " " + result.err().length + "\n";
            answers.write(header.getBytes(StandardCharsets.US_ASCII));
            answers.write(result.out());
            answers.write(result.err());
            answers.flush();
        }
    }

    /**
     * javap's own task, run as its launcher runs it, with standard output and standard error
     * caught apart. Needs jdk.jdeps opened to this class (--add-opens); null when it is not.
     */
    private static Javap taskJavap() {
        try {
            Class<?> task = Class.forName("com.sun.tools.javap.JavapTask");
            Constructor<?> create = task.getDeclaredConstructor();
            Method run = task.getDeclaredMethod("run", String[].class);
            run.setAccessible(true);
            return arguments -> {
                PrintStream savedOut = System.out;
                PrintStream savedErr = System.err;
                ByteArrayOutputStream out = new ByteArrayOutputStream();
                ByteArrayOutputStream err = new ByteArrayOutputStream();
                try (PrintStream o = new PrintStream(out, true); PrintStream e = new PrintStream(err, true)) {
                    System.setOut(o);
                    System.setErr(e);
                    int status = (Integer) run.invoke(create.newInstance(), (Object) arguments);
                    o.flush();
                    e.flush();
                    return new Result(status, out.toByteArray(), err.toByteArray());
                } catch (InvocationTargetException failure) {
                    throw failure.getCause() instanceof Exception cause ? cause : failure;
                } finally {
                    System.setOut(savedOut);
                    System.setErr(savedErr);
                }
            };
        } catch (ReflectiveOperationException | RuntimeException e) {
            return null;
        }
    }

    /**
     * The public tool interface, which writes messages and output to one writer: a failed
     * run's text is its error text, as the launcher would have printed it on standard error.
     */
    private static Javap toolProviderJavap() {
        Optional<ToolProvider> tool = ToolProvider.findFirst("javap");
        if (tool.isEmpty()) return null;
        Charset encoding = Charset.defaultCharset();
        return arguments -> {
            StringWriter out = new StringWriter();
            StringWriter err = new StringWriter();
            int status;
            try (PrintWriter o = new PrintWriter(out); PrintWriter e = new PrintWriter(err)) {
                status = tool.get().run(o, e, arguments);
            }
            byte[] outBytes = out.toString().getBytes(encoding);
            byte[] errBytes = err.toString().getBytes(encoding);
            if (status != 0) {
                byte[] all = new byte[outBytes.length + errBytes.length];
                System.arraycopy(outBytes, 0, all, 0, outBytes.length);
                System.arraycopy(errBytes, 0, all, outBytes.length, errBytes.length);
                return new Result(status, new byte[0], all);
            }
            return new Result(status, outBytes, errBytes);
        };
    }
}
