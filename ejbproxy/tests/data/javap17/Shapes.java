// Source of the sample.* fixtures: javac 17, then javap -s -public per class.
package sample;
import java.util.*;
public class Shapes<T extends Comparable<? super T>, E extends Exception> {
    public static final int[][] GRID = new int[1][1];
    public T value;
    public List<T>[] lists;
    public Shapes() {}
    public <X extends Throwable> Shapes(int a, X x) throws X {}
    public void fail() throws E {}
    public <Y extends E> void fail2(Y y) throws Y, java.io.IOException {}
    public strictfp double calc(double... d) { return 0; }
    public int[] res()[] { return null; }
    public static <U extends Object & Comparable<U>> U[] sortAll(U[] in, List<? extends U>... more) { return in; }
    public class Inner<Q> { public class Deep {} public Inner(Q q) {} public T get() { return null; } public <Z extends T> void put(Z[] z) throws E {} }
    public static class Nested { public Nested(int[] x) {} }
    public sealed interface Shape permits Circle, Square {}
    public static final class Circle implements Shape { }
    public static non-sealed class Square implements Shape { }
    public record Point(int x, int y) implements Comparable<Point> { public int compareTo(Point o) { return 0; } }
    public enum Color { RED, GREEN { public String toString() { return "g"; } }; public static native void nat(); }
    public @interface Ann { int value() default 3; String[] names(); }
    public interface Dflt { default void hi() {} static int s() { return 1; } abstract void a(); }
    public Inner<String>.Deep xx() { return null; }
    public synchronized Map.Entry<String, ? super Integer> entry(Map<String, List<Map.Entry<T, E>>> m) { return null; }
}
